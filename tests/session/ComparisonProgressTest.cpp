// The comparison's percentage, time spent and time left as the status bar
// shows them, and the words that close a comparison.
#include "session/ComparisonProgress.h"

#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

constexpr uint64_t kQueued = 100000;

// A comparison of kQueued bytes of which done are read, the first file half read.
ComparisonProgress::Snapshot Reading(uint64_t done) { return {true, kQueued, 0, done, 50, 100}; }

// Panes 3, 4 and 5.
std::string Panes(const ComparisonProgress& progress) {
    return progress.PercentText() + "|" + progress.ElapsedText() + "|" + progress.LeftText();
}

TEST(ComparisonProgressTest, SteadyRateGivesTheTimeLeftOnceItHasRunAFewSeconds) {
    ComparisonProgress progress;
    EXPECT_EQ(Panes(progress), "||") << "before any comparison";
    // 1000 bytes a second, an update a second.
    const std::pair<uint32_t, const char*> tickAndPanes[] = {
        {0, "Percent: 0%   50%|Elapsed: 00:00:00|"},
        {2000, "Percent: 2%   50%|Elapsed: 00:00:02|"},
        {3000, "Percent: 3%   50%|Elapsed: 00:00:03|Left: 00:01:37"},
        {30000, "Percent: 30%   50%|Elapsed: 00:00:30|Left: 00:01:10"},
    };
    uint32_t tick = 0;
    for (const auto& [until, panes] : tickAndPanes) {
        for (; tick <= until; tick += 1000) EXPECT_FALSE(progress.Update(tick, Reading(tick)));
        EXPECT_EQ(Panes(progress), panes);
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
    EXPECT_EQ(Panes(progress), "Percent: 10%   50%|Elapsed: 00:00:21|") << "the clock runs on, nothing is left to tell";
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
    EXPECT_EQ(Panes(progress), "|Elapsed: 00:00:06|");
    // The lists count on: 50000 bytes more queued, 25000 of them finished.
    progress.Update(20000, {true, kQueued + 50000, kQueued + 25000, 0, 0, 10});
    EXPECT_EQ(Panes(progress), "Percent: 50%   0%|Elapsed: 00:00:00|");
    // Stopped: what was cancelled leaves the queue.
    EXPECT_TRUE(progress.Update(21000, {false, kQueued + 30000, kQueued + 30000, 0, 0, 0}));
    EXPECT_TRUE(progress.Stopped());
}

TEST(ComparisonProgressTest, EndTextCountsGroupsAndTheBytesOfTheirExtraCopies) {
    auto root = testing::MakeRoot();
    DuplicateIndex index;
    EXPECT_EQ(ComparisonEndText(index, false), "Comparison finished: no duplicates found");
    for (const char* name : {"a1", "a2", "a3"}) index.Insert(testing::AddFile(root.get(), name, 2048, std::string(32, 'A')));
    index.Insert(testing::AddFile(root.get(), "alone", 2048, std::string(32, 'B')));
    EXPECT_EQ(ComparisonEndText(index, true), "Comparison stopped: 1 duplicate group; its extra copies hold 4.0 KB");
    for (const char* name : {"b1", "b2"}) index.Insert(testing::AddFile(root.get(), name, 100, std::string(32, 'B')));
    EXPECT_EQ(ComparisonEndText(index, false), "Comparison finished: 2 duplicate groups; their extra copies hold 4.0 KB");
}

}  // namespace
}  // namespace twinseek
