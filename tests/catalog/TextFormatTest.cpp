#include "catalog/TextFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

namespace twinseek {
namespace {

constexpr uint64_t kTwoTo50 = uint64_t(1) << 50;

TEST(TextFormatTest, SizeStaysInBytesUpToAndIncluding1024) {
    EXPECT_STREQ(FormatSize(0).CStr(), "0 ");
    EXPECT_STREQ(FormatSize(1023).CStr(), "1023 ");
    EXPECT_STREQ(FormatSize(1024).CStr(), "1024 ");
}

TEST(TextFormatTest, SizeTruncatesToOneDecimalPerUnit) {
    EXPECT_STREQ(FormatSize(1025).CStr(), "1.0 K");
    EXPECT_STREQ(FormatSize(1536).CStr(), "1.5 K");
    EXPECT_STREQ(FormatSize(1999).CStr(), "1.9 K") << "tenths are cut, not rounded";
    EXPECT_STREQ(FormatSize(2048).CStr(), "2.0 K");
    EXPECT_STREQ(FormatSize(1048575).CStr(), "1023.9 K");
    EXPECT_STREQ(FormatSize(1048576).CStr(), "1024.0 K");
    EXPECT_STREQ(FormatSize(1048577).CStr(), "1.0 M");
    EXPECT_STREQ(FormatSize(734003200).CStr(), "700.0 M");
    EXPECT_STREQ(FormatSize(4700000000ULL).CStr(), "4.3 G");
    EXPECT_STREQ(FormatSize(10737418240ULL).CStr(), "10.0 G");
    EXPECT_STREQ(FormatSize(3848290697216ULL).CStr(), "3.5 T");
    EXPECT_STREQ(FormatSize(kTwoTo50).CStr(), "1024.0 T");
}

TEST(TextFormatTest, SizeBeyond1024TeraContinuesWithPetaAndExa) {
    EXPECT_STREQ(FormatSize(kTwoTo50 + 1).CStr(), "1.0 P");
    EXPECT_STREQ(FormatSize(kTwoTo50 * 1024).CStr(), "1024.0 P");
    EXPECT_STREQ(FormatSize(kTwoTo50 * 1536).CStr(), "1.5 E");
    EXPECT_STREQ(FormatSize(std::numeric_limits<uint64_t>::max()).CStr(), "16.0 E");
    EXPECT_STREQ(FormatSize(uint64_t(1) << 63).CStr(), "8.0 E") << "the top bit is magnitude, not sign";
}

TEST(TextFormatTest, SizeIntoShortBufferIsCutAndTerminated) {
    char buffer[4];
    std::memset(buffer, 'z', sizeof buffer);
    FormatSize(1048575, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "102");
    char untouched = 'z';
    FormatSize(1048575, &untouched, 0);
    EXPECT_EQ(untouched, 'z');
}

TEST(TextFormatTest, SizeWithUnitAndNodeLabelAppendBytes) {
    EXPECT_STREQ(FormatSizeWithUnit(1048576).CStr(), "1024.0 KB");
    EXPECT_STREQ(FormatSizeWithUnit(0).CStr(), "0 B");
    EXPECT_STREQ(FormatSizeNodeLabel(1536, 3).CStr(), "1.5 KB [3 Files]");
    EXPECT_STREQ(FormatSizeNodeLabel(std::numeric_limits<uint64_t>::max(), 4294967295u).CStr(),
                 "16.0 EB [4294967295 Files]")
        << "the longest label fits the shared buffer size";
}

TEST(TextFormatTest, RateIsBytesPerSecondWithZeroMillisAsSix) {
    EXPECT_STREQ(FormatRate(3145728, 1500).CStr(), "2.0 MB/S");
    EXPECT_STREQ(FormatRate(1000, 0).CStr(), "162.7 KB/S");
    EXPECT_STREQ(FormatRate(999, 1000).CStr(), "999 B/S");
    EXPECT_STREQ(FormatRate(1999, 2000).CStr(), "999 B/S") << "the division truncates";
    // The product wraps: (2^64 / 1000 + 1) * 1000 mod 2^64 = 1000 - (2^64 mod 1000) = 384.
    EXPECT_STREQ(FormatRate(std::numeric_limits<uint64_t>::max() / 1000 + 1, 1000).CStr(), "0 B/S");
    EXPECT_STREQ(FormatRate(std::numeric_limits<uint64_t>::max() / 1000 + 1, 1).CStr(), "384 B/S");
}

TEST(TextFormatTest, PercentTruncatesAndTreatsEmptyWholeAsDone) {
    EXPECT_STREQ(FormatPercent(1, 3).CStr(), "33%");
    EXPECT_STREQ(FormatPercent(2, 3).CStr(), "66%");
    EXPECT_STREQ(FormatPercent(0, 0).CStr(), "100%");
    EXPECT_STREQ(FormatPercent(5, 0).CStr(), "100%");
    EXPECT_STREQ(FormatPercent(3, 2).CStr(), "150%");
    EXPECT_STREQ(FormatPercent(uint64_t(1) << 32, 1).CStr(), "0%") << "only the low 32 bits print";
}

TEST(TextFormatTest, DurationPrintsHoursWithoutWrapping) {
    EXPECT_STREQ(FormatDuration(999).CStr(), "00:00:00");
    EXPECT_STREQ(FormatDuration(61000).CStr(), "00:01:01");
    EXPECT_STREQ(FormatDuration(3600000).CStr(), "01:00:00");
    EXPECT_STREQ(FormatDuration(86400000).CStr(), "24:00:00");
    EXPECT_STREQ(FormatDuration(4294967295u).CStr(), "1193:02:47");
}

TEST(TextFormatTest, RemainingTimeScalesElapsedByWorkLeft) {
    EXPECT_EQ(RemainingMillis(2000, 1 << 20, 4 << 20), std::optional<uint32_t>(6000));
    EXPECT_STREQ(FormatDuration(*RemainingMillis(2000, 1 << 20, 4 << 20)).CStr(), "00:00:06");
    EXPECT_EQ(RemainingMillis(1000, 3, 4), std::optional<uint32_t>(333)) << "truncated, not rounded";
    EXPECT_EQ(RemainingMillis(1000, 4, 4), std::optional<uint32_t>(0));
    EXPECT_EQ(RemainingMillis(1000, 0, 4), std::nullopt);
}

TEST(TextFormatTest, RemainingTimeKeepsLowBitsOfOutOfRangeResults) {
    EXPECT_EQ(RemainingMillis(2000, 2, 1), std::optional<uint32_t>(uint32_t(-1000)))
        << "more done than total gives a negative remainder";
    EXPECT_EQ(RemainingMillis(1000, 1, (uint64_t(1) << 33) + 1), std::optional<uint32_t>(0))
        << "1000 * 2^33 has no low bits set";
    EXPECT_EQ(RemainingMillis(4294967295u, 1, std::numeric_limits<uint64_t>::max()),
              std::optional<uint32_t>(0xFFFFFFFFu))
        << "beyond int64 saturates at its maximum";
}

// Sets TZ and LC_TIME for one test and puts the previous ones back afterwards.
class ScopedTimeZoneAndLocale {
public:
    ScopedTimeZoneAndLocale(const char* timeZone, const char* locale) {
        if (const char* previous = std::getenv("TZ")) previousTimeZone = previous;
        previousLocale = std::setlocale(LC_TIME, nullptr);
        setenv("TZ", timeZone, 1);
        tzset();
        std::setlocale(LC_TIME, locale);
    }
    ~ScopedTimeZoneAndLocale() {
        if (previousTimeZone) setenv("TZ", previousTimeZone->c_str(), 1);
        else unsetenv("TZ");
        tzset();
        std::setlocale(LC_TIME, previousLocale.c_str());
    }

private:
    std::optional<std::string> previousTimeZone;
    std::string previousLocale;
};

// 2021-03-04 05:06:07 UTC in 100-ns units since 1601.
constexpr uint64_t kMarchFourth2021 = 132593079670000000ULL;

TEST(TextFormatTest, FileDateUsesLocaleDateAndTime) {
    ScopedTimeZoneAndLocale scope("UTC", "C");
    EXPECT_STREQ(FormatFileDate(FileTime::FromValue(kMarchFourth2021)).CStr(), "03/04/21 05:06:07");
    EXPECT_STREQ(FormatFileDate(FileTime::FromValue(kMarchFourth2021 + 9999999)).CStr(),
                 "03/04/21 05:06:07")
        << "fractions of a second are dropped";
    EXPECT_STREQ(FormatFileDate(FileTime::FromValue(0)).CStr(), "01/01/01 00:00:00");
}

TEST(TextFormatTest, FileDateFollowsTheTimeZone) {
    ScopedTimeZoneAndLocale scope("EST5", "C");
    EXPECT_STREQ(FormatFileDate(FileTime::FromValue(kMarchFourth2021)).CStr(), "03/04/21 00:06:07");
}

TEST(TextFormatTest, FileDateBefore1970RoundsDownToTheSecond) {
    ScopedTimeZoneAndLocale scope("UTC", "C");
    // 1965-07-08 09:10:11.5 UTC is Unix time -141490188.5.
    FileTime halfPast = FileTime::FromValue((11644473600ULL - 141490189ULL) * 10000000ULL + 5000000ULL);
    EXPECT_STREQ(FormatFileDate(halfPast).CStr(), "07/08/65 09:10:11");
}

TEST(TextFormatTest, FileDateOfLargestTimeIsStillDefined) {
    ScopedTimeZoneAndLocale scope("UTC", "C");
    FileDateText text = FormatFileDate(FileTime::FromValue(std::numeric_limits<uint64_t>::max()));
    // Year 60056, written with two digits by "%x".
    EXPECT_STREQ(text.CStr(), "05/28/56 05:36:10");
}

TEST(TextFormatTest, DuplicateKeyIsDecimalSizeThenDigest) {
    const char* digest = "0123456789abcdef0123456789ABCDEF";
    DuplicateKeyText key = MakeDuplicateKey(1536, digest);
    EXPECT_EQ(std::strlen(key.CStr()), 36u);
    EXPECT_EQ(std::string(key.CStr()), std::string("1536") + digest);
    EXPECT_STREQ(MakeDuplicateKey(0, "").CStr(), "0");
    std::string longest = std::to_string(std::numeric_limits<uint64_t>::max()) + digest;
    EXPECT_EQ(longest.size() + 1, 53u);
    EXPECT_STREQ(MakeDuplicateKey(std::numeric_limits<uint64_t>::max(), digest).CStr(), longest.c_str());
}

}  // namespace
}  // namespace twinseek
