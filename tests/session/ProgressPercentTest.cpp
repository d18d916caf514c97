#include "session/ProgressPercent.h"

#include <gtest/gtest.h>

#include <vector>

namespace twinseek {
namespace {

// The percentages shown after each step of a run of range steps.
std::vector<int> PercentsOfRun(int32_t range) {
    std::vector<int> shown;
    for (int32_t position = 1; position <= range; ++position) shown.push_back(ProgressPercent(position, range));
    return shown;
}

TEST(ProgressPercentTest, ShortRunsMoveAtEveryStep) {
    EXPECT_EQ(PercentsOfRun(1), (std::vector<int>{100}));
    EXPECT_EQ(PercentsOfRun(3), (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(PercentsOfRun(7), (std::vector<int>{14, 28, 42, 57, 71, 85, 100}));
}

TEST(ProgressPercentTest, LongRunsMoveOnePointAtATime) {
    std::vector<int> shown = PercentsOfRun(1000);
    int changes = 0;
    for (size_t step = 1; step < shown.size(); ++step) {
        EXPECT_LE(shown[step] - shown[step - 1], 1);
        changes += shown[step] != shown[step - 1];
    }
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(shown.back(), 100);
    EXPECT_EQ(changes, 100);
}

TEST(ProgressPercentTest, EdgesStayWithinTheScale) {
    struct Case {
        int64_t position;
        int32_t range;
        int percent;
    };
    const Case cases[] = {
        {0, 10, 0},       {1, 0, 0},      {5, -3, 0},  {-1, 10, 0},
        {11, 10, 100},    // a step too many
        {2'000'000'000, 2'100'000'000, 95},  // would overflow 32 bits
    };
    for (const Case& c : cases) EXPECT_EQ(ProgressPercent(c.position, c.range), c.percent) << c.position << "/" << c.range;
}

}  // namespace
}  // namespace twinseek
