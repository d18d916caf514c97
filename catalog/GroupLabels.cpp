#include "catalog/GroupLabels.h"

#include "catalog/SizeCategory.h"

#include <string>

namespace twinseek {

std::string GroupLabel(std::string_view representativeName, uint32_t count) {
    std::string label(representativeName);
    label.append(" [").append(std::to_string(count)).append(" Copies]");
    return label;
}

std::string NewGroupLabel(std::string_view representativeName) { return GroupLabel(representativeName, 2); }

std::string RelabelGroup(std::string_view label, uint32_t count) {
    size_t bracket = label.rfind('[');
    std::string relabelled(label.substr(0, bracket));
    relabelled.append("[").append(std::to_string(count)).append(" Copies]");
    return relabelled;
}

std::string SizeSetLabel(std::string_view categoryName, uint32_t sizeSets) {
    std::string label(categoryName);
    label.append(" [").append(std::to_string(sizeSets)).append(" Group(s)]");
    return label;
}

std::array<CategoryTreeLabel, 8> CategoryTreeLabels(const FileCatalog& catalog) {
    std::array<CategoryTreeLabel, 8> labels;
    const auto& table = SizeCategories();
    uint32_t total = 0;
    for (size_t row = 1; row < table.size(); ++row) {
        uint32_t sets = CountSizeSets(catalog, table[row].min, table[row].max);
        total += sets;
        labels[row] = {SizeSetLabel(table[row].name, sets), sets, sets > 0};
    }
    labels[0] = {SizeSetLabel(table[0].name, total), total, total > 0};
    return labels;
}

size_t LabelCountStart(std::string_view label) {
    const size_t bracket = label.rfind(" [");
    return bracket == std::string_view::npos ? label.size() : bracket;
}

std::vector<TreeLabel> WidestCategoryLabels(bool withCounts) {
    constexpr uint32_t kWidestCount = 999999;
    std::vector<TreeLabel> labels;
    const auto& table = SizeCategories();
    for (size_t row = 0; row < table.size(); ++row) {
        const int depth = table[row].id == kAllFilesId ? 0 : 1;
        labels.push_back({withCounts ? SizeSetLabel(table[row].name, kWidestCount) : table[row].name, depth});
    }
    return labels;
}

}  // namespace twinseek
