#include "catalog/SizeCategory.h"

namespace twinseek {

namespace {
constexpr uint64_t kLargestSize = 9223372036854775807ULL;
}

std::array<SizeCategory, kSizeCategoryCount>& SizeCategories() {
    static std::array<SizeCategory, kSizeCategoryCount> table{{
        {"All Files", "All Files", 8, 0, kLargestSize, 0},
        {"Huge Files", "Greater than 100M", 1, 104857600, kLargestSize, 0},
        {"Very Large Files", "Between 100M and 10M", 2, 10485760, 104857599, 0},
        {"Large Files", "Between 10M and 1M", 3, 1048576, 10485759, 0},
        {"Normal Files", "Between 1M and 100K", 4, 102400, 1048575, 0},
        {"Small Files", "Between 100K and 10K", 5, 10240, 102399, 0},
        {"Very Small Files", "Between 10K and 1K", 6, 1024, 10239, 0},
        {"Tiny Files", "Less than 1K", 7, 0, 1023, 0},
    }};
    return table;
}

const SizeCategory& CategoryOfId(uint32_t id) { return SizeCategories()[id & 7]; }

uint32_t ClassifySize(uint64_t size) {
    const auto& table = SizeCategories();
    for (uint32_t id = 1; id < 7; ++id)
        if (size >= table[id].min) return id;
    return 7;
}

}  // namespace twinseek
