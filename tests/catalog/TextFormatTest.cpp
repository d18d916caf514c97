// Rates, percentages, durations and the time left, each cut rather than rounded.
#include "catalog/TextFormat.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace twinseek {
namespace {

constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();

TEST(TextFormatTest, RateAndPercentTruncate) {
    EXPECT_STREQ(FormatRate(3145728, 1500).CStr(), "2.0 MB/S");
    EXPECT_STREQ(FormatRate(1000, 0).CStr(), "162.7 KB/S") << "0 ms counts as 6";
    EXPECT_STREQ(FormatRate(1999, 2000).CStr(), "999 B/S");
    // The product wraps: (2^64 / 1000 + 1) * 1000 mod 2^64 = 384.
    EXPECT_STREQ(FormatRate(kMax64 / 1000 + 1, 1).CStr(), "384 B/S");

    EXPECT_STREQ(FormatPercent(2, 3).CStr(), "66%");
    EXPECT_STREQ(FormatPercent(0, 0).CStr(), "100%");
    EXPECT_STREQ(FormatPercent(5, 0).CStr(), "100%") << "an empty whole is done";
    EXPECT_STREQ(FormatPercent(uint64_t(1) << 32, 1).CStr(), "0%") << "only the low 32 bits print";
}

TEST(TextFormatTest, DurationAndRemainingTime) {
    EXPECT_STREQ(FormatDuration(999).CStr(), "00:00:00");
    EXPECT_STREQ(FormatDuration(3661000).CStr(), "01:01:01");
    EXPECT_STREQ(FormatDuration(86400000).CStr(), "24:00:00");
    EXPECT_STREQ(FormatDuration(4294967295u).CStr(), "1193:02:47");

    EXPECT_EQ(RemainingMillis(2000, 1 << 20, 4 << 20), std::optional<uint32_t>(6000));
    EXPECT_EQ(RemainingMillis(1000, 3, 4), std::optional<uint32_t>(333)) << "truncated, not rounded";
    EXPECT_EQ(RemainingMillis(1000, 0, 4), std::nullopt);
    EXPECT_EQ(RemainingMillis(2000, 2, 1), std::optional<uint32_t>(uint32_t(-1000))) << "more done than total";
    EXPECT_EQ(RemainingMillis(4294967295u, 1, kMax64), std::optional<uint32_t>(0xFFFFFFFFu))
        << "beyond int64 saturates at its maximum";
}

}  // namespace
}  // namespace twinseek
