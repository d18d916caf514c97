#include "catalog/WidestTexts.h"

#include "catalog/TextFormat.h"

#include <cstdint>
#include <ctime>

namespace twinseek {

namespace {

// The largest byte count of each unit: 1024, then 1024^(n+1) - 1, which prints
// as 1023.9 of unit n, and the largest count of all.
std::vector<uint64_t> UnitTops() {
    std::vector<uint64_t> tops{1024};
    for (uint64_t unit = 1024; unit <= UINT64_MAX / 1024; unit *= 1024) tops.push_back(unit * 1024 - 1);
    tops.push_back(UINT64_MAX);
    return tops;
}

}  // namespace

TextList WidestSizeTexts() {
    TextList texts;
    for (uint64_t bytes : UnitTops()) texts.emplace_back(FormatSize(bytes).CStr());
    return texts;
}

TextList WidestSizeWithUnitTexts() {
    TextList texts;
    for (uint64_t bytes : UnitTops()) texts.emplace_back(FormatSizeWithUnit(bytes).CStr());
    return texts;
}

TextList WidestRateTexts() {
    // A rate is the size of a second's bytes followed by "B/S".
    TextList texts;
    for (const std::string& size : WidestSizeTexts()) texts.push_back(size + "B/S");
    return texts;
}

TextList WidestPercentTexts() { return {FormatPercent(1, 1).CStr()}; }

TextList WidestDurationTexts() {
    return {FormatDuration(UINT32_MAX).CStr(), FormatDuration(((99 * 60 + 59) * 60 + 59) * 1000u).CStr()};
}

TextList WidestFileDateTexts() {
    TextList texts;
    for (int month = 0; month < 12; ++month) {
        for (int hour = 0; hour < 24; ++hour) {
            std::tm time{};
            time.tm_year = 2000 - 1900;
            time.tm_mon = month;
            time.tm_mday = 28;
            time.tm_hour = hour;
            time.tm_min = 59;
            time.tm_sec = 59;
            time.tm_isdst = -1;
            const std::time_t seconds = std::mktime(&time);
            if (seconds == std::time_t(-1)) continue;
            texts.emplace_back(FormatFileDate(FileTime::FromUnix(int64_t(seconds), 0)).CStr());
        }
    }
    return texts;
}

}  // namespace twinseek
