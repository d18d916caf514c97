#include "session/DeleteList.h"

#include "document/HeadlessPrompts.h"
#include "platform/FileOperations.h"
#include "platform/PathProbe.h"
#include "session/AppSession.h"
#include "session/ResultModel.h"
#include "session/TrashFolder.h"
#include "tests/session/SessionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

// Removes for real (the Trash being out of reach here) except the paths told
// to fail, and writes down what it was asked.
class FakeRemover final : public FileRemover {
public:
    int RemovePermanently(const std::string& path) override { return Remove("unlink " + path, path); }
    int MoveToTrash(const std::string& path) override { return Remove("trash " + path, path); }

    std::map<std::string, int> failing;
    std::vector<std::string> calls;

private:
    int Remove(const std::string& call, const std::string& path) {
        calls.push_back(call);
        auto failure = failing.find(path);
        return failure != failing.end() ? failure->second : UnlinkFile(path);
    }
};

class FileDeletionTest : public ::testing::Test {
protected:
    // Writes the files (name and contents), catalogues and compares them, and
    // shows their groups; the document then counts as saved.
    void Compare(const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [name, content] : files) testing::WriteBytes(tree.Path(name), content);
        testing::ScanIntoSession(session, tree.Root());
        ASSERT_TRUE(session.CompareAllSharedSizes());
        ASSERT_TRUE(testing::CollectUntilDone(session));
        model.Rebuild();
        session.Doc().modified = false;
    }

    // The catalogued record of a file, or null.
    FileItem* Record(const std::string& name) const {
        for (const FileCatalog::Entry& entry : session.Doc().catalog)
            if (entry.item->GetFullPath() == tree.Path(name)) return entry.item;
        return nullptr;
    }
    // Ticks the files' rows in the result view and hands them to a delete dialog.
    DeleteList Tick(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            for (size_t row = 0; row < model.RowCount(); ++row)
                if (model.File(row) == Record(name)) model.SetTicked(row, true);
        EXPECT_EQ(model.TickedCount(), names.size());
        return DeleteList(model.TickedFiles());
    }
    // The names of a list's files, sorted: a scan meets a folder's files in no fixed order.
    template <typename List>
    static std::vector<std::string> Names(const List& list) {
        std::vector<std::string> names;
        for (size_t row = 0; row < list.RowCount(); ++row) names.emplace_back(list.File(row)->Name());
        std::sort(names.begin(), names.end());
        return names;
    }
    bool Exists(const std::string& name) const { return PathExists(tree.Path(name)); }

    testing::TemporaryTree tree;
    HeadlessPrompts prompts;
    testing::RecordingProgress progress;
    testing::RecordingCompareView view;
    AppSession session{prompts, progress, view};
    ResultModel model{session.Doc()};
    FakeRemover remover;
};

TEST_F(FileDeletionTest, DeletedCopyLeavesEverythingAndStaysDeletedAfterSaveAndOpen) {
    Compare({{"a", "12345"}, {"b", "12345"}, {"c", "abcdef"}, {"d", "abcdef"}});
    FileItem* kept = Record("a");
    DeleteList list = Tick({"b"});
    DeletionReport report = list.DeleteTicked(session, remover, RemovalMode::Permanently);
    EXPECT_EQ(report.removed, 1u);
    EXPECT_EQ(report.discarded, 1u);
    EXPECT_EQ(remover.calls, std::vector<std::string>{"unlink " + tree.Path("b")});
    EXPECT_FALSE(Exists("b"));
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_TRUE(list.deletedAny);
    EXPECT_TRUE(session.Doc().modified) << "a deletion is a change to save";
    EXPECT_EQ(Record("b"), nullptr) << "out of the size index";
    EXPECT_EQ(kept->parent->FindFile("b"), nullptr) << "out of the folder tree";
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(kept), 1u);
    EXPECT_EQ(session.Finished().RowCount(), 3u);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"c", "d"})) << "a group left with one file vanishes";

    ASSERT_TRUE(session.SaveTo(tree.Path("saved.tws")));
    ASSERT_TRUE(session.OpenFile(tree.Path("saved.tws")));
    EXPECT_EQ(Record("b"), nullptr) << "the deleted file does not come back";
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(Record("a")), 1u);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"c", "d"}));
}

TEST_F(FileDeletionTest, FileChangedSinceItWasComparedIsNotTouched) {
    Compare({{"kept", "12345"}, {"grown", "12345"}, {"touched", "12345"}, {"linked", "12345"}});
    testing::WriteBytes(tree.Path("grown"), "123456");
    struct timespec times[2] = {{0, UTIME_OMIT}, {1234567, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, tree.Path("touched").c_str(), times, 0), 0);
    unlink(tree.Path("linked").c_str());
    ASSERT_EQ(symlink(tree.Path("kept").c_str(), tree.Path("linked").c_str()), 0);
    const std::pair<const char*, const char*> cases[] = {{"grown", "Size changed since it was compared"},
                                                         {"touched", "Modified since it was compared"},
                                                         {"linked", "Replaced by a link"}};
    for (auto [name, reason] : cases) {
        FileItem* record = Record(name);
        DeleteList list({record});
        DeletionReport report = list.DeleteTicked(session, remover, RemovalMode::Permanently);
        ASSERT_EQ(report.failures.size(), 1u) << name;
        EXPECT_EQ(report.failures[0].path + ": " + report.failures[0].reason, tree.Path(name) + ": " + reason);
        EXPECT_EQ(list.RowCount(), 1u) << "still listed";
        EXPECT_EQ(Record(name), record) << "still catalogued";
        EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(record), 4u);
    }
    EXPECT_TRUE(remover.calls.empty());
}

TEST_F(FileDeletionTest, PathThatIsTheSameFileAsAKeptCopyIsRefused) {
    // Two true copies of one time; after the comparison the alias becomes a
    // second name of the original, as a bind mount would show it: same size,
    // same time, but removing it would remove the copy that stays.
    for (const char* name : {"original", "alias"}) {
        testing::WriteBytes(tree.Path(name), "shared");
        const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, tree.Path(name).c_str(), times, 0), 0);
    }
    Compare({});
    ASSERT_EQ(unlink(tree.Path("alias").c_str()), 0);
    ASSERT_EQ(link(tree.Path("original").c_str(), tree.Path("alias").c_str()), 0);
    DeleteList list = Tick({"alias"});
    DeletionReport report = list.DeleteTicked(session, remover, RemovalMode::Permanently);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].reason, "Same file on disk as " + tree.Path("original") + ", which is kept");
    EXPECT_TRUE(remover.calls.empty());
    EXPECT_TRUE(Exists("alias"));
    EXPECT_EQ(list.RowCount(), 1u);

    DeleteList both({Record("original"), Record("alias")});
    report = both.DeleteTicked(session, remover, RemovalMode::Permanently);
    EXPECT_EQ(report.removed, 2u) << "with no copy kept, both names go as asked";
    EXPECT_TRUE(report.failures.empty());
}

TEST_F(FileDeletionTest, FileTheRemoverCannotTakeStaysListedAndCatalogued) {
    Compare({{"a", "same"}, {"b", "same"}, {"lone", "different size"}});
    remover.failing[tree.Path("b")] = EACCES;
    DeleteList list = Tick({"b"});
    DeletionReport report = list.DeleteTicked(session, remover, RemovalMode::ToTrash);
    EXPECT_EQ(remover.calls, std::vector<std::string>{"trash " + tree.Path("b")});
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(DescribeFailures(report.failures),
              "1 file could not be removed:\n\n" + tree.Path("b") + ": Permission denied");
    EXPECT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(Record("b")), 2u);
    EXPECT_EQ(model.RowCount(), 2u);
    EXPECT_FALSE(session.Doc().modified);

    // While a comparison runs nothing is touched at all.
    session.Engine().Pause();
    FileItem* lone = Record("lone");
    ASSERT_TRUE(session.CompareFiles({&lone, 1}));
    remover.failing.clear();
    report = list.DeleteTicked(session, remover, RemovalMode::Permanently);
    EXPECT_TRUE(report.refused);
    EXPECT_TRUE(Exists("b"));
    EXPECT_EQ(remover.calls.size(), 1u);
    session.StopComparison();
}

TEST_F(FileDeletionTest, CancelStopsBetweenFilesAndAccountsForWhatWent) {
    Compare({{"a1", "aaaa"}, {"a2", "aaaa"}, {"a3", "aaaa"}, {"b1", "bbb"}, {"b2", "bbb"}, {"b3", "bbb"}});
    DeleteList list = Tick({"a2", "a3", "b2", "b3"});
    std::vector<std::pair<size_t, size_t>> asked;
    auto stopAtTwo = [&](size_t done, size_t total) {
        asked.emplace_back(done, total);
        return done < 2;
    };
    DeletionReport report = list.DeleteTicked(session, remover, RemovalMode::Permanently, stopAtTwo);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(asked, (std::vector<std::pair<size_t, size_t>>{{0, 4}, {1, 4}, {2, 4}}));
    EXPECT_EQ(report.removed, 2u);
    EXPECT_EQ(report.discarded, 2u);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b2", "b3"}));
    EXPECT_TRUE(list.IsTicked(0) && list.IsTicked(1)) << "what was not reached stays ticked";
    EXPECT_TRUE(Exists("b2") && Exists("b3"));
    EXPECT_EQ(Record("a2"), nullptr);
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(Record("b2")), 3u);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"b1", "b2", "b3"}));
}

TEST(DeleteListTest, CaptionsAndFailureMessageCountTheirFiles) {
    auto root = testing::MakeRoot();
    FileItem* one = testing::AddFile(root.get(), "one", 1);
    FileItem* two = testing::AddFile(root.get(), "two", 1);
    DeleteList single({one});
    EXPECT_EQ(single.Caption(), "Confirm File Delete");
    EXPECT_EQ(single.TrashChoiceText(), "Send the item to the Recycle Bin.");
    DeleteList several({one, two});
    EXPECT_EQ(several.Caption(), "Confirm Multiple File Delete");
    EXPECT_EQ(several.TrashChoiceText(), "Send these items to the Recycle Bin.");

    std::vector<DeletionFailure> failures(23, {"/f", "Busy"});
    std::string text = DescribeFailures(failures);
    EXPECT_TRUE(text.starts_with("23 files could not be removed:\n\n/f: Busy\n"));
    EXPECT_TRUE(text.ends_with("/f: Busy\n\nand 3 more."));
    EXPECT_EQ(DescribeFailures({}), "");
}

TEST(TrashFolderTest, OnlyAnEntryRightInsideATrashFilesFolderCounts) {
    const std::pair<const char*, bool> cases[] = {
        {"/home/ann/.local/share/Trash/files/a.txt", true},
        {"/media/disk/.Trash-1000/files/a.txt", true},
        {"/media/disk/.Trash/1000/files/a.txt", true},
        {"./files/a.txt", false},  // where a trash without its data folder ends up
        {"/work/files/a.txt", false},
        {"/home/ann/.local/share/Trash/files/sub/a.txt", false},
        {"/media/disk/.Trash-x/files/a.txt", false},
        {"/data/Trash/files/../../a.txt", false},
    };
    for (auto [path, inTrash] : cases) EXPECT_EQ(IsInTrashFolder(path), inTrash) << path;
}

}  // namespace
}  // namespace twinseek
