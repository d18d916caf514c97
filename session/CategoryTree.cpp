#include "session/CategoryTree.h"

#include "catalog/GroupLabels.h"
#include "catalog/SizeCategory.h"
#include "catalog/TextFormat.h"

namespace twinseek {

namespace {

using Node = CategoryTree::Node;

Node& AppendNode(std::unique_ptr<Node>& slot, Node* parent, CategoryTree::NodeKind kind, uint32_t categoryId,
                 uint64_t size, std::string label, std::string tip) {
    slot = std::make_unique<Node>();
    Node& node = *slot;
    node.kind = kind;
    node.categoryId = categoryId;
    node.size = size;
    node.label = std::move(label);
    node.tip = std::move(tip);
    node.parent = parent;
    return node;
}

Node& AppendChild(Node& parent, CategoryTree::NodeKind kind, uint32_t categoryId, uint64_t size, std::string label,
                  std::string tip = {}) {
    std::unique_ptr<Node>& slot = parent.children.emplace_back();
    Node& node = AppendNode(slot, &parent, kind, categoryId, size, std::move(label), std::move(tip));
    node.row = parent.children.size() - 1;
    return node;
}

}  // namespace

void CategoryTree::Reset() {
    const auto& table = SizeCategories();
    AppendNode(root, nullptr, NodeKind::Root, kAllFilesId, 0, table[0].name, {});
    for (uint32_t id = 1; id < kSizeCategoryCount; ++id)
        AppendChild(*root, NodeKind::Category, id, 0, table[id].name, table[id].description);
}

void CategoryTree::Relabel(const FileCatalog& catalog) {
    std::array<CategoryTreeLabel, 8> labels = CategoryTreeLabels(catalog);
    root->label = labels[0].text;
    root->expandable = labels[0].hasChildren;
    for (uint32_t id = 1; id < kSizeCategoryCount; ++id) {
        Node& node = Category(id);
        node.label = labels[id].text;
        node.expandable = labels[id].hasChildren;
    }
}

bool CategoryTree::NeedsSizeNodes(const Node& node) {
    return node.kind == NodeKind::Category && node.expandable && !node.sizeNodesMade;
}

std::vector<CategoryTree::SizeSet> CategoryTree::SizeSetsOf(uint32_t categoryId, const FileCatalog& catalog) {
    std::vector<SizeSet> sets;
    FileCatalog::EntryRange range = catalog.Range(categoryId);
    // Entries of one size stand together, so each run is one size and its count.
    for (size_t first = 0; first < range.size();) {
        size_t last = first + 1;
        while (last < range.size() && range[last].size == range[first].size) ++last;
        if (last - first > 1) sets.push_back({range[first].size, uint32_t(last - first)});
        first = last;
    }
    return sets;
}

void CategoryTree::AddSizeNodes(Node& category, std::span<const SizeSet> sets) {
    for (const SizeSet& set : sets)
        AppendChild(category, NodeKind::Size, 0, set.size, FormatSizeNodeLabel(set.size, set.fileCount).CStr());
    category.sizeNodesMade = true;
}

}  // namespace twinseek
