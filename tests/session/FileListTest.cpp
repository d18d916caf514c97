// The files view's file list: kept row sets, cell texts, type names and icons
// asked once per extension, and the row colours a comparison leaves.
#include "session/AppSession.h"
#include "session/FileList.h"
#include "document/HeadlessPrompts.h"
#include "tests/compare/CompareTestSupport.h"
#include "tests/session/FilesTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek {
namespace {

using testing::RecordingProgress;

std::vector<std::string> Names(const FileList& list) {
    std::vector<std::string> names;
    for (const FileItem* file : list.Files()) names.emplace_back(file->Name());
    return names;
}

class FileListTest : public ::testing::Test {
protected:
    testing::CountingFileTypes types;
    testing::SizedCatalog files;
    RecordingProgress progress;
    FileList list{types.cache};
};

TEST_F(FileListTest, CategorySetsAreKeptWhileSizeSetsAreRebuiltEachTime) {
    files.Add("a.jpg", 5000);
    files.Add("single.jpg", 7000);
    files.Add("b.jpg", 5000);
    files.Add("big1", 50u << 20);
    files.Add("big2", 50u << 20);

    list.ShowCategory(6, files.catalog, progress);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a.jpg", "b.jpg"})) << "only sizes another file has";
    list.ShowCategory(8, files.catalog, progress);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"big1", "big2", "a.jpg", "b.jpg"}));

    files.Add("late.jpg", 5000);
    list.ShowCategory(6, files.catalog, progress);
    EXPECT_EQ(list.RowCount(), 2u) << "a kept set is shown again without reading the catalogue";
    list.ShowSize(5000, files.catalog, progress);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a.jpg", "b.jpg", "late.jpg"}));
    list.ShowSize(50u << 20, files.catalog, progress);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"big1", "big2"})) << "set 0 is refilled, not added to";
    EXPECT_EQ(list.ShownSet(), FileList::kSizeSet);

    // Every fill runs the "Upload list..." progress over the whole range, one
    // step per row; a kept set runs it over nothing.
    ASSERT_EQ(progress.runs.size(), 5u);
    std::vector<std::tuple<std::string, int32_t, int>> runs;
    for (const auto& run : progress.runs) runs.emplace_back(run.text, run.range, run.steps);
    EXPECT_EQ(runs, (std::vector<std::tuple<std::string, int32_t, int>>{{"Upload list...", 3, 2},
                                                                         {"Upload list...", 5, 4},
                                                                         {"Upload list...", 0, 0},
                                                                         {"Upload list...", 3, 3},
                                                                         {"Upload list...", 2, 2}}));

    list.DropRowSets();
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_FALSE(list.IsSetBuilt(6));
    list.ShowCategory(6, files.catalog, progress);
    EXPECT_EQ(list.RowCount(), 3u) << "a dropped set is built afresh";
}

TEST_F(FileListTest, CellsShowTheRecordAndAskTheDesktopOncePerExtension) {
    FileItem* photo = files.Add("PHOTO.JPG", 5000);
    photo->findData.ftLastWriteTime = FileTime::FromUnix(1700000000, 0);
    files.Add("other.jpg", 5000);
    files.Add("README", 5000);
    files.Add("app.ico", 5000);
    files.Add("odd.nothing", 5000);
    list.ShowCategory(6, files.catalog, progress);

    EXPECT_EQ(list.CellText(0, FileList::kName), "PHOTO.JPG");
    EXPECT_EQ(list.CellText(0, FileList::kFolder), "/data");
    EXPECT_EQ(list.CellText(0, FileList::kSize), "4.8 KB");
    EXPECT_EQ(list.CellText(0, FileList::kDate), FormatFileDate(photo->LastWriteTime()).CStr());
    EXPECT_EQ(list.CellText(5, FileList::kName), "") << "no such row";
    EXPECT_EQ(list.CellText(0, FileList::kColumnCount), "");

    std::vector<std::string> typeTexts;
    for (size_t row = 0; row < list.RowCount(); ++row) typeTexts.emplace_back(list.CellText(row, FileList::kType));
    for (size_t row = 0; row < list.RowCount(); ++row) list.CellText(row, FileList::kType);
    EXPECT_EQ(typeTexts, (std::vector<std::string>{"Type of jpg", "Type of jpg", "Type of ", "Type of ico", ""}));
    EXPECT_EQ(types.typeQueries, (std::vector<std::string>{"jpg", "", "ico", "nothing"}));

    std::vector<int32_t> icons;
    for (size_t row = 0; row < list.RowCount(); ++row) icons.push_back(list.IconIndex(row));
    for (size_t row = 0; row < list.RowCount(); ++row) list.IconIndex(row);
    EXPECT_EQ(icons, (std::vector<int32_t>{101, 101, 102, 501, -1}));
    EXPECT_EQ(types.iconQueries, (std::vector<std::string>{"jpg", "", "nothing"}));
    EXPECT_EQ(types.fileIconQueries, (std::vector<std::string>{"/data/app.ico"})) << "an .ico carries its own icon";
    EXPECT_EQ(photo->iconIndex, 101) << "kept in the record";
}

// The compare engine colours the rows of the list whose id the view names.
class ListColorView final : public CompareView {
public:
    explicit ListColorView(const FileList& list) : list(list) {}
    ListId FileListId() const override { return list.Id(); }
    void Repaint(uint32_t) override {}
    void ShowInGroup(FileItem*, size_t) override {}

private:
    const FileList& list;
};

TEST(FileListColorTest, RowsTurnRedWhenQueuedBlueWhenCollectedAndBlackAfterAStop) {
    testing::CountingFileTypes types;
    testing::CatalogedDirectory directory;
    FileList list(types.cache);
    for (int i = 0; i < 4; ++i) directory.AddFile(testing::Numbered("f", i), std::string(3000, char('a' + i % 2)));
    NullProgressIndicator progress;
    list.ShowCategory(8, directory.catalog, progress);
    ASSERT_EQ(list.RowCount(), 4u);
    EXPECT_EQ(list.TextColor(0), std::nullopt) << "never compared: the list's own colour";

    HeadlessPrompts prompts;
    ListColorView view(list);
    AppSession session(prompts, progress, view);
    session.CompareFiles(list.Files());
    for (size_t row = 0; row < 4; ++row) EXPECT_EQ(list.TextColor(row), kQueuedColor) << row;
    ASSERT_TRUE(testing::WaitUntil([&] {
        for (FileItem* file : list.Files())
            if (file->compareState != Digested) return false;
        return true;
    }));
    session.Comparing().OnCollectTimer();
    for (size_t row = 0; row < 4; ++row) EXPECT_EQ(list.TextColor(row), kCollectedColor) << row;

    // A second list over the same files: stopped before any is read.
    for (FileItem* file : list.Files()) file->compareState = NotCompared;
    session.Engine().Pause();
    session.CompareFiles(list.Files());
    EXPECT_EQ(list.TextColor(2), kQueuedColor);
    session.StopComparison();
    for (size_t row = 0; row < 4; ++row) EXPECT_EQ(list.TextColor(row), kCancelledColor) << row;
    EXPECT_EQ(list.TextColor(4), std::nullopt);
}

}  // namespace
}  // namespace twinseek
