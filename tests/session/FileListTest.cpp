// The files view's category tree (labels from the size-set counts, size nodes
// made on the first expansion) and its file list: kept row sets, cell texts,
// and type names and icons asked of the desktop once per extension.
#include "session/CategoryTree.h"
#include "session/FileList.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

// "Type of <ext>" and an icon per extension, except for "nothing"; counts questions.
class CountingFileTypes final : public FileTypeNames, public FileIcons {
public:
    std::string TypeName(std::string_view extension) override {
        types.emplace_back(extension);
        return extension == "nothing" ? "" : "Type of " + std::string(extension);
    }
    int32_t IconOfType(std::string_view extension) override {
        icons.emplace_back(extension);
        return extension == "nothing" ? -1 : int32_t(100 + icons.size());
    }
    int32_t IconOfFile(std::string_view path, std::string_view) override {
        icons.emplace_back(path);
        return 500;
    }
    std::vector<std::string> types, icons;
};

class FileListTest : public ::testing::Test {
protected:
    CountingFileTypes desktop;
    FileTypeCache cache{desktop, desktop};
    testing::CatalogedDirectory files;
    testing::RecordingProgress progress;
    FileList list{cache};
};

TEST_F(FileListTest, CategorySetsAreKeptWhileTheSizeSetIsRefilledEachTime) {
    for (auto [name, size] : {std::pair{"a", 5000}, {"single", 7000}, {"b", 5000}}) files.AddRecord(name, uint64_t(size));
    list.ShowCategory(6, files.catalog, progress);
    EXPECT_EQ(list.RowCount(), 2u) << "only sizes another file has";
    files.AddRecord("late", 5000);
    list.ShowCategory(6, files.catalog, progress);
    EXPECT_EQ(list.RowCount(), 2u) << "a kept set is shown again without reading the catalogue";
    list.ShowSize(5000, files.catalog, progress);
    list.ShowSize(5000, files.catalog, progress);
    EXPECT_EQ(list.RowCount(), 3u) << "set 0 is refilled, not added to";
    list.DropRowSets();
    EXPECT_EQ(list.RowCount(), 0u);
    list.ShowCategory(6, files.catalog, progress);
    EXPECT_EQ(list.RowCount(), 3u) << "a dropped set is built afresh";
}

TEST_F(FileListTest, CellsShowTheRecordAndAskTheDesktopOncePerExtension) {
    FileItem* photo = files.AddRecord("PHOTO.JPG", 5000);
    photo->findData.ftLastWriteTime = FileTime::FromUnix(1700000000, 0);
    for (const char* name : {"other.jpg", "README", "app.ico", "odd.nothing"}) files.AddRecord(name, 5000);
    list.ShowCategory(6, files.catalog, progress);

    EXPECT_EQ(list.CellText(0, FileList::kName), "PHOTO.JPG");
    EXPECT_EQ(list.CellText(0, FileList::kFolder), files.Root());
    EXPECT_EQ(list.CellText(0, FileList::kSize), "4.8 KB");
    EXPECT_EQ(list.CellText(0, FileList::kDate), FormatFileDate(photo->LastWriteTime()).CStr());
    EXPECT_EQ(list.CellText(5, FileList::kName), "") << "no such row";

    std::vector<std::string> typeTexts;
    std::vector<int32_t> icons;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t row = 0; row < list.RowCount(); ++row) {
            typeTexts.emplace_back(list.CellText(row, FileList::kType));
            icons.push_back(list.IconIndex(row));
        }
    typeTexts.resize(5);
    icons.resize(5);
    EXPECT_EQ(typeTexts, (std::vector<std::string>{"Type of jpg", "Type of jpg", "Type of ", "Type of ico", ""}));
    EXPECT_EQ(desktop.types, (std::vector<std::string>{"jpg", "", "ico", "nothing"}));
    EXPECT_EQ(icons, (std::vector<int32_t>{101, 101, 102, 500, -1}));
    EXPECT_EQ(desktop.icons, (std::vector<std::string>{"jpg", "", files.Path("app.ico"), "nothing"}))
        << "an .ico carries its own icon";
    EXPECT_EQ(photo->iconIndex, 101) << "kept in the record";
}

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
