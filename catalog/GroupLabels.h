// Label texts of duplicate groups in the result tree and of size sets in the
// files view's category tree.
#pragma once

#include "catalog/FileCatalog.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace twinseek {

// "name [N Copies]" for a group rebuilt from the index.
std::string GroupLabel(std::string_view representativeName, uint32_t count);
// "name [2 Copies]" for a group that has just come into being.
std::string NewGroupLabel(std::string_view representativeName);
// The label cut at its last "[" with the new count put in its place, so that
// names holding "[" keep their text.
std::string RelabelGroup(std::string_view label, uint32_t count);

// "Category [N Group(s)]".
std::string SizeSetLabel(std::string_view categoryName, uint32_t sizeSets);

// The labels of "All Files" and the seven bands of the category tree, in table
// order, counted over the catalogue.
struct CategoryTreeLabel {
    std::string text;
    uint32_t sizeSets;
    bool hasChildren;
};
std::array<CategoryTreeLabel, 8> CategoryTreeLabels(const FileCatalog& catalog);

}  // namespace twinseek
