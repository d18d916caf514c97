// The category tree of the files view: "All Files" over the seven size
// categories, relabelled with their size-set counts, and under a category the
// sizes that more than one file shares, made the first time it is expanded.
#pragma once

#include "catalog/FileCatalog.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace twinseek {

class CategoryTree {
public:
    enum class NodeKind { Root, Category, Size };

    struct Node {
        NodeKind kind = NodeKind::Root;
        uint32_t categoryId = 0;  // 8 for the root, 1 to 7 for a category, 0 for a size
        uint64_t size = 0;        // the file size of a size node
        std::string label;
        std::string tip;
        // Shows an expand button before any child exists.
        bool expandable = false;
        bool sizeNodesMade = false;
        Node* parent = nullptr;
        size_t row = 0;  // place among the parent's children
        std::vector<std::unique_ptr<Node>> children;
    };

    // A size that more than one catalogued file has, and how many do.
    struct SizeSet {
        uint64_t size;
        uint32_t fileCount;
    };

    CategoryTree() { Reset(); }

    // The root "All Files" and the seven categories with their plain names.
    void Reset();
    // "Name [N Group(s)]" on each category and the root, from the catalogue;
    // a node with sets gets an expand button.
    void Relabel(const FileCatalog& catalog);

    Node& Root() { return *root; }
    const Node& Root() const { return *root; }
    // The node of category id 1 to 7.
    Node& Category(uint32_t id) { return *root->children.at(id - 1); }

    // A category node that has sets and has not been expanded yet.
    static bool NeedsSizeNodes(const Node& node);
    // The shared sizes of category id, largest first.
    static std::vector<SizeSet> SizeSetsOf(uint32_t categoryId, const FileCatalog& catalog);
    // Appends a node "SizeB [N Files]" per set under category and marks it expanded.
    void AddSizeNodes(Node& category, std::span<const SizeSet> sets);

private:
    std::unique_ptr<Node> root;
};

}  // namespace twinseek
