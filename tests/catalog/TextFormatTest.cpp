#include "catalog/TextFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

namespace twinseek {
namespace {

constexpr uint64_t kTwoTo50 = uint64_t(1) << 50;
constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();

TEST(TextFormatTest, SizeKeepsBytesTo1024ThenTruncatesToOneDecimalPerUnit) {
    const std::pair<uint64_t, const char*> table[] = {
        {0, "0 "}, {1023, "1023 "}, {1024, "1024 "}, {1025, "1.0 K"}, {1536, "1.5 K"},
        {1999, "1.9 K"},  // tenths are cut, not rounded
        {2048, "2.0 K"}, {1048575, "1023.9 K"}, {1048576, "1024.0 K"}, {1048577, "1.0 M"},
        {734003200, "700.0 M"}, {4700000000ULL, "4.3 G"}, {10737418240ULL, "10.0 G"},
        {3848290697216ULL, "3.5 T"}, {kTwoTo50, "1024.0 T"},
        // Beyond 1024 T it goes on with P and E; the top bit is magnitude, not sign.
        {kTwoTo50 + 1, "1.0 P"}, {kTwoTo50 * 1536, "1.5 E"}, {uint64_t(1) << 63, "8.0 E"}, {kMax64, "16.0 E"}};
    for (const auto& [size, text] : table) EXPECT_STREQ(FormatSize(size).CStr(), text) << size;

    char buffer[4];
    FormatSize(1048575, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "102") << "cut and terminated";
    EXPECT_STREQ(FormatSizeWithUnit(0).CStr(), "0 B");
    EXPECT_STREQ(FormatSizeNodeLabel(kMax64, 4294967295u).CStr(), "16.0 EB [4294967295 Files]");
}

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

TEST(TextFormatTest, FileDateUsesLocaleDateAndTime) {
    const char* previousTimeZone = std::getenv("TZ");
    const std::string savedTimeZone = previousTimeZone ? previousTimeZone : "";
    const std::string previousLocale = std::setlocale(LC_TIME, nullptr);
    setenv("TZ", "UTC", 1);
    tzset();
    std::setlocale(LC_TIME, "C");

    const uint64_t march4th2021 = 132593079670000000ULL;  // 2021-03-04 05:06:07 UTC
    EXPECT_STREQ(FormatFileDate(FileTime::FromValue(march4th2021 + 9999999)).CStr(), "03/04/21 05:06:07")
        << "fractions of a second are dropped";
    // 1965-07-08 09:10:11.5 UTC rounds down to the second.
    EXPECT_STREQ(FormatFileDate(FileTime::FromValue((11644473600ULL - 141490189ULL) * 10000000ULL + 5000000ULL)).CStr(),
                 "07/08/65 09:10:11");
    EXPECT_STREQ(FormatFileDate(FileTime::FromValue(kMax64)).CStr(), "05/28/56 05:36:10");

    if (previousTimeZone) setenv("TZ", savedTimeZone.c_str(), 1);
    else unsetenv("TZ");
    tzset();
    std::setlocale(LC_TIME, previousLocale.c_str());
}

TEST(TextFormatTest, DuplicateKeyIsDecimalSizeThenDigest) {
    const std::string digest = "0123456789abcdef0123456789ABCDEF";
    EXPECT_EQ(MakeDuplicateKey(kMax64, digest.c_str()).CStr(), std::to_string(kMax64) + digest) << "the longest key";
    EXPECT_STREQ(MakeDuplicateKey(0, "").CStr(), "0");
}

}  // namespace
}  // namespace twinseek
