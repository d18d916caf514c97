// The comparison's percentage, time spent and time left as the status bar
// shows them, and the words that close a comparison.
#include "session/ComparisonProgress.h"

#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

using testing::AddFile;

constexpr uint64_t kQueued = 100000;

// A comparison of kQueued bytes of which done are read, the first file half read.
ComparisonProgress::Snapshot Reading(uint64_t done) { return {true, kQueued, 0, done, 50, 100}; }

TEST(ComparisonProgressTest, SteadyRateGivesTheTimeLeftOnceItHasRunAFewSeconds) {
    ComparisonProgress progress;
    EXPECT_EQ(progress.PercentText() + progress.ElapsedText() + progress.LeftText(), "") << "before any comparison";
    // 1000 bytes a second, an update a second.
    const struct {
        uint32_t tick;
        const char* percent;
        const char* elapsed;
        const char* left;
    } table[] = {
        {0, "Percent: 0%   50%", "Elapsed: 00:00:00", ""},
        {2000, "Percent: 2%   50%", "Elapsed: 00:00:02", ""},
        {3000, "Percent: 3%   50%", "Elapsed: 00:00:03", "Left: 00:01:37"},
        {30000, "Percent: 30%   50%", "Elapsed: 00:00:30", "Left: 00:01:10"},
    };
    uint32_t tick = 0;
    for (const auto& row : table) {
        for (; tick <= row.tick; tick += 1000) EXPECT_FALSE(progress.Update(tick, Reading(tick)));
        EXPECT_EQ(progress.PercentText(), row.percent) << row.tick;
        EXPECT_EQ(progress.ElapsedText(), row.elapsed) << row.tick;
        EXPECT_EQ(progress.LeftText(), row.left) << row.tick;
    }
}

TEST(ComparisonProgressTest, StallBlanksTheTimeLeftUntilBytesMoveAgain) {
    ComparisonProgress progress;
    for (uint32_t tick = 0; tick <= 10000; tick += 1000) progress.Update(tick, Reading(tick));
    ASSERT_EQ(progress.MillisLeft(), 90000u);
    // Stuck at 10000 bytes: the rate of the last ten seconds falls, then is none.
    progress.Update(15000, Reading(10000));
    EXPECT_EQ(progress.LeftText(), "Left: 00:03:00") << "5000 bytes in the last ten seconds";
    progress.Update(21000, Reading(10000));
    EXPECT_EQ(progress.LeftText(), "") << "nothing read for the whole window";
    EXPECT_EQ(progress.ElapsedText(), "Elapsed: 00:00:21") << "the clock runs on";
    // Updates seconds apart measure again, from the last one before the window:
    // 10000 bytes in 15 seconds, 80000 to go.
    progress.Update(31000, Reading(10000));
    progress.Update(36000, Reading(20000));
    EXPECT_EQ(progress.LeftText(), "Left: 00:02:00");
}

TEST(ComparisonProgressTest, EndIsToldOnceKeepsTheTimeItTookAndTheNextComparisonCountsOnlyItsOwn) {
    ComparisonProgress progress;
    progress.Update(1000, Reading(0));
    progress.Update(6000, Reading(40000));
    EXPECT_TRUE(progress.Update(7500, {false, kQueued, kQueued, 0, 0, 0}));
    EXPECT_FALSE(progress.Stopped());
    EXPECT_FALSE(progress.Update(9000, {false, kQueued, kQueued, 0, 0, 0}));
    EXPECT_EQ(progress.PercentText() + progress.LeftText(), "");
    EXPECT_EQ(progress.ElapsedText(), "Elapsed: 00:00:06");

    // The lists count on: 50000 bytes more queued, 25000 of them finished.
    progress.Update(20000, {true, kQueued + 50000, kQueued + 25000, 0, 0, 10});
    EXPECT_EQ(progress.PercentText(), "Percent: 50%   0%");
    EXPECT_EQ(progress.ElapsedText(), "Elapsed: 00:00:00");
    EXPECT_EQ(progress.LeftText(), "");
    // Stopped: what was cancelled leaves the queue.
    EXPECT_TRUE(progress.Update(21000, {false, kQueued + 30000, kQueued + 30000, 0, 0, 0}));
    EXPECT_TRUE(progress.Stopped());
}

TEST(ComparisonProgressTest, EndTextCountsGroupsAndTheBytesOfTheirExtraCopies) {
    auto root = testing::MakeRoot();
    DuplicateIndex index;
    EXPECT_EQ(ComparisonEndText(index, false), "Comparison finished: no duplicates found");
    const std::string a(32, 'A');
    const std::string b(32, 'B');
    for (const char* name : {"a1", "a2", "a3"}) index.Insert(AddFile(root.get(), name, 2048, a));
    index.Insert(AddFile(root.get(), "alone", 2048, b));
    EXPECT_EQ(ComparisonEndText(index, true), "Comparison stopped: 1 duplicate group; its extra copies hold 4.0 KB");
    for (const char* name : {"b1", "b2"}) index.Insert(AddFile(root.get(), name, 100, b));
    EXPECT_EQ(ComparisonEndText(index, false), "Comparison finished: 2 duplicate groups; their extra copies hold 4.0 KB");
}

}  // namespace
}  // namespace twinseek
