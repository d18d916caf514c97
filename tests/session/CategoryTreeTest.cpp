// The files view's category tree: labels from the size-set counts, expand
// buttons, and size nodes made on the first expansion.
#include "session/CategoryTree.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek {
namespace {

std::vector<std::string> Labels(const CategoryTree::Node& parent) {
    std::vector<std::string> labels{parent.label};
    for (const auto& child : parent.children) labels.push_back(child->label);
    return labels;
}

TEST(CategoryTreeTest, LabelsCountSharedSizesAndSizeNodesListThemLargestFirst) {
    testing::CatalogedDirectory files;
    CategoryTree tree;
    for (uint32_t id = 1; id <= 7; ++id) EXPECT_FALSE(tree.Category(id).expandable) << id;

    for (auto [name, size] : {std::pair{"a", 5000}, {"b", 5000}, {"alone", 7000}, {"c", 2000}, {"d", 2000},
                              {"e", 2000}, {"huge1", 200 << 20}, {"huge2", 200 << 20}, {"empty1", 0}, {"empty2", 0}})
        files.AddRecord(name, uint64_t(size));
    tree.Relabel(files.catalog);
    EXPECT_EQ(tree.Root().label, "All Files [4 Group(s)]");
    EXPECT_EQ(tree.Category(1).label, "Huge Files [1 Group(s)]");
    EXPECT_EQ(tree.Category(6).label, "Very Small Files [2 Group(s)]");
    EXPECT_TRUE(tree.Category(6).expandable);
    EXPECT_TRUE(tree.Category(6).children.empty()) << "no size node before the first expansion";

    CategoryTree::Node& verySmall = tree.Category(6);
    ASSERT_TRUE(CategoryTree::NeedsSizeNodes(verySmall));
    tree.AddSizeNodes(verySmall, CategoryTree::SizeSetsOf(6, files.catalog));
    EXPECT_EQ(Labels(verySmall), (std::vector<std::string>{"Very Small Files [2 Group(s)]", "4.8 KB [2 Files]",
                                                           "1.9 KB [3 Files]"}));
    EXPECT_EQ(verySmall.children[1]->size, 2000u);
    EXPECT_EQ(verySmall.children[1]->row, 1u);
    EXPECT_FALSE(CategoryTree::NeedsSizeNodes(verySmall)) << "made once";
    EXPECT_FALSE(CategoryTree::NeedsSizeNodes(tree.Root())) << "the root has no size nodes";
    EXPECT_EQ(CategoryTree::SizeSetsOf(7, files.catalog).front().size, 0u) << "empty files are a set too";

    tree.Reset();
    EXPECT_EQ(Labels(tree.Category(6)), (std::vector<std::string>{"Very Small Files"}));
}

}  // namespace
}  // namespace twinseek
