#include "session/MarkCopiesForm.h"

#include "catalog/SizeCategory.h"

namespace twinseek {

namespace {

constexpr KeepChoice kKeepChoices[] = {
    {KeepRule::Newest, "The &newest file (last modified)"},
    {KeepRule::Oldest, "The &oldest file"},
    {KeepRule::Shortest, "The file with the &shortest path"},
    {KeepRule::Shallowest, "The &least nested file (fewest folders)"},
    {KeepRule::First, "The &first file as listed"},
    {KeepRule::InFolder, "The file &under this folder:"},
};

}  // namespace

std::span<const KeepChoice> KeepChoices() { return kKeepChoices; }

std::string ScopeText(uint32_t categoryId) {
    if (categoryId < 1 || categoryId >= kAllFilesId) return "All &groups";
    return std::string("Only &this category (") + CategoryOfId(categoryId).name + ")";
}

bool CanMark(const MarkRules& rules) { return rules.keep != KeepRule::InFolder || !rules.keepFolder.empty(); }

}  // namespace twinseek
