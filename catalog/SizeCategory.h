// The eight size categories ("All Files" and seven bands from "Huge Files" down
// to "Tiny Files") and the rule that puts a file size into one of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace twinseek {

struct SizeCategory {
    const char* name;
    const char* description;
    uint32_t id;
    uint64_t min;
    uint64_t max;
    uint8_t autoCompare;
};

constexpr uint32_t kAllFilesId = 8;
constexpr size_t kSizeCategoryCount = 8;

// The process-wide table; row id & 7 holds category id. Only autoCompare of
// rows 1 to 7 ever changes.
std::array<SizeCategory, kSizeCategoryCount>& SizeCategories();
const SizeCategory& CategoryOfId(uint32_t id);

// The id (1 to 7) of the band that holds a file of this size.
uint32_t ClassifySize(uint64_t size);

}  // namespace twinseek
