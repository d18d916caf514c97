#include "session/ProgressPercent.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace twinseek {
namespace {

TEST(ProgressPercentTest, EveryRunMovesAsItsTrueFractionToAFullBar) {
    for (int32_t range : {1, 3, 7, 99, 100, 1000, 12345}) {
        int changes = 0;
        int shown = 0;
        for (int32_t position = 1; position <= range; ++position) {
            const int percent = ProgressPercent(position, range);
            changes += percent != shown;
            shown = percent;
        }
        EXPECT_EQ(shown, 100) << range;
        EXPECT_EQ(changes, std::min(range, 100)) << "a short run moves at every step: " << range;
    }
}

TEST(ProgressPercentTest, EdgesStayWithinTheScale) {
    struct Case {
        int64_t position;
        int32_t range;
        int percent;
    };
    const Case cases[] = {{0, 10, 0}, {1, 0, 0}, {5, -3, 0}, {-1, 10, 0}, {11, 10, 100},
                          {2'000'000'000, 2'100'000'000, 95}};  // the last would overflow 32 bits
    for (const Case& c : cases) EXPECT_EQ(ProgressPercent(c.position, c.range), c.percent) << c.position << "/" << c.range;
}

}  // namespace
}  // namespace twinseek
