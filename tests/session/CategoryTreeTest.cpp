// The files view's category tree: labels from the size-set counts, expand
// buttons, and size nodes made on the first expansion.
#include "session/CategoryTree.h"
#include "tests/session/FilesTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek {
namespace {

std::vector<std::string> Labels(const CategoryTree::Node& parent) {
    std::vector<std::string> labels;
    for (const auto& child : parent.children) labels.push_back(child->label);
    return labels;
}

TEST(CategoryTreeTest, AnEmptyCatalogueCountsNoGroupsAndOffersNothingToExpand) {
    CategoryTree tree;
    EXPECT_EQ(tree.Root().label, "All Files");
    EXPECT_EQ(Labels(tree.Root()), (std::vector<std::string>{"Huge Files", "Very Large Files", "Large Files",
                                                             "Normal Files", "Small Files", "Very Small Files",
                                                             "Tiny Files"}));
    EXPECT_EQ(tree.Category(3).tip, "Between 10M and 1M");
    EXPECT_EQ(tree.Root().tip, "");

    FileCatalog empty;
    tree.Relabel(empty);
    EXPECT_EQ(tree.Root().label, "All Files [0 Group(s)]");
    EXPECT_EQ(tree.Category(1).label, "Huge Files [0 Group(s)]");
    for (uint32_t id = 1; id <= 7; ++id) {
        EXPECT_FALSE(tree.Category(id).expandable) << id;
        EXPECT_FALSE(CategoryTree::NeedsSizeNodes(tree.Category(id))) << id;
        EXPECT_EQ(tree.Category(id).row, id - 1);
        EXPECT_EQ(tree.Category(id).parent, &tree.Root());
    }
}

TEST(CategoryTreeTest, LabelsCountSharedSizesAndSizeNodesListThemLargestFirst) {
    testing::SizedCatalog files;
    files.Add("a", 5000);
    files.Add("b", 5000);
    files.Add("alone", 7000);
    files.Add("c", 2000);
    files.Add("d", 2000);
    files.Add("e", 2000);
    files.Add("huge1", 200u << 20);
    files.Add("huge2", 200u << 20);
    files.Add("empty1", 0);
    files.Add("empty2", 0);

    CategoryTree tree;
    tree.Relabel(files.catalog);
    EXPECT_EQ(tree.Root().label, "All Files [4 Group(s)]");
    EXPECT_EQ(tree.Category(1).label, "Huge Files [1 Group(s)]");
    EXPECT_EQ(tree.Category(6).label, "Very Small Files [2 Group(s)]");
    EXPECT_EQ(tree.Category(7).label, "Tiny Files [1 Group(s)]");
    EXPECT_EQ(tree.Category(4).label, "Normal Files [0 Group(s)]");
    EXPECT_TRUE(tree.Category(6).expandable);
    EXPECT_FALSE(tree.Category(4).expandable);
    EXPECT_TRUE(tree.Category(6).children.empty()) << "no size node before the first expansion";

    CategoryTree::Node& verySmall = tree.Category(6);
    ASSERT_TRUE(CategoryTree::NeedsSizeNodes(verySmall));
    auto sets = CategoryTree::SizeSetsOf(6, files.catalog);
    tree.AddSizeNodes(verySmall, sets);
    EXPECT_EQ(Labels(verySmall), (std::vector<std::string>{"4.8 KB [2 Files]", "1.9 KB [3 Files]"}));
    EXPECT_EQ(verySmall.children[1]->size, 2000u);
    EXPECT_EQ(verySmall.children[1]->row, 1u);
    EXPECT_EQ(verySmall.children[1]->kind, CategoryTree::NodeKind::Size);
    EXPECT_FALSE(CategoryTree::NeedsSizeNodes(verySmall)) << "made once";
    EXPECT_FALSE(CategoryTree::NeedsSizeNodes(tree.Root())) << "the root has no size nodes";
    EXPECT_EQ(Labels(tree.Category(7)).size(), 0u);
    EXPECT_EQ(CategoryTree::SizeSetsOf(7, files.catalog).front().size, 0u) << "empty files are a set too";

    tree.Reset();
    EXPECT_TRUE(tree.Category(6).children.empty());
    EXPECT_EQ(tree.Category(6).label, "Very Small Files");
}

}  // namespace
}  // namespace twinseek
