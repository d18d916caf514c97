// Label texts of duplicate groups in the result tree and of size sets in the
// files view's category tree.
#pragma once

#include "catalog/FileCatalog.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// Where the count of a tree label begins: the blank before its last " [", or
// the label's length when it has none. A label too long for its tree is cut
// before this point, so that its count stays whole.
size_t LabelCountStart(std::string_view label);

// The widest labels the trees' top two levels show, with their depth (0 for
// "All Files", 1 for a category): the plain names, and with counts the
// labels counting in six figures, so that no category's label is cut.
struct TreeLabel {
    std::string text;
    int depth;
};
std::vector<TreeLabel> WidestCategoryLabels(bool withCounts);

// The labels of "All Files" and the seven bands of the category tree, in table
// order, counted over the catalogue.
struct CategoryTreeLabel {
    std::string text;
    uint32_t sizeSets;
    bool hasChildren;
};
std::array<CategoryTreeLabel, 8> CategoryTreeLabels(const FileCatalog& catalog);

}  // namespace twinseek
