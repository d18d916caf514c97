// The widest texts that columns and panes are measured by: no value formats
// longer than the longest of them, and a tree label's count is found where
// a cut must stop.
#include "catalog/GroupLabels.h"
#include "catalog/TextFormat.h"
#include "catalog/WidestTexts.h"
#include "compare/StatusPanes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace twinseek {
namespace {

// Whether one of texts is as long as text and ends in the same unit (what
// follows its last digit): digits are all as wide, unit letters are not.
bool Covered(const std::string& text, const TextList& texts) {
    const std::string unit = text.substr(text.find_last_of("0123456789") + 1);
    for (const std::string& widest : texts) {
        if (widest.size() >= text.size() && widest.substr(widest.find_last_of("0123456789") + 1) == unit) return true;
    }
    return false;
}

// 0, then 2^k - 1, 2^k and 1.5 * 2^k for every k, then the largest count.
std::vector<uint64_t> Counts() {
    std::vector<uint64_t> counts{0};
    for (int k = 1; k < 64; ++k) {
        const uint64_t power = uint64_t(1) << k;
        counts.insert(counts.end(), {power - 1, power, power + power / 2});
    }
    counts.push_back(UINT64_MAX);
    return counts;
}

TEST(WidestTextsTest, EveryValueHasAWidestTextOfItsUnitAtLeastAsLong) {
    const TextList sizes = WidestSizeTexts();
    const TextList withUnit = WidestSizeWithUnitTexts();
    const TextList rates = WidestRateTexts();
    const TextList durations = WidestDurationTexts();
    const TextList counts = PaneWidestTexts(2);
    for (uint64_t value : Counts()) {
        EXPECT_TRUE(Covered(FormatSize(value).CStr(), sizes)) << FormatSize(value).CStr();
        EXPECT_TRUE(Covered(FormatSizeWithUnit(value).CStr(), withUnit)) << FormatSizeWithUnit(value).CStr();
        for (uint32_t millis : {1u, 1000u, 3600000u}) {
            EXPECT_TRUE(Covered(FormatRate(value, millis).CStr(), rates)) << FormatRate(value, millis).CStr();
        }
        EXPECT_TRUE(Covered(FormatDuration(uint32_t(value)).CStr(), durations)) << FormatDuration(uint32_t(value)).CStr();
        if (value <= 1000000) {
            EXPECT_TRUE(Covered(PaneCountText(1000000, value), counts)) << PaneCountText(1000000, value);
        }
    }
    EXPECT_TRUE(Covered(FormatPercent(7, 7).CStr(), WidestPercentTexts()));
}

TEST(WidestTextsTest, TreeLabelsAreCutBeforeTheirLastCount) {
    const std::pair<const char*, size_t> labelAndCount[] = {
        {"holiday.jpg [2 Copies]", 11},
        {"a [b] [3 Copies]", 5},  // a name holding brackets of its own
        {"All Files", 9},         // no count: the whole label may be cut
        {"", 0},
    };
    for (const auto& [label, count] : labelAndCount) EXPECT_EQ(LabelCountStart(label), count) << label;
}

}  // namespace
}  // namespace twinseek
