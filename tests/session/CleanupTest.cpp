// Hard links, clones, the journal and undo on real files: undo brings files back
// from the Trash, never over a path taken since, and makes replaced files separate again.
#include "session/CleanupUndo.h"
#include "session/DiskFileRemover.h"
#include "session/JournalRecord.h"
#include "tests/session/CleanupTestSupport.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

using testing::FileDeletionTest;
using testing::ReadBytes;

class CleanupTest : public FileDeletionTest {
protected:
    DeletionReport Run(const std::vector<std::string>& names, CleanupAction action) {
        DeleteList list = Tick(names);
        return list.DeleteTicked(session, disk, action, journal);
    }
    struct stat Status(const std::string& name) const {
        struct stat status {};
        EXPECT_EQ(lstat(tree.Path(name).c_str(), &status), 0) << name;
        return status;
    }

    testing::ScopedDataHome dataHome{tree.Path("data")};
    DiskFileRemover disk;
};

TEST_F(CleanupTest, HardLinkSharesTheKeptCopyAndTheGroupShrinks) {
    for (const char* name : {"kept", "copy", "third"}) Write(name, "same bytes");
    ASSERT_EQ(chmod(tree.Path("copy").c_str(), 0600), 0);
    Compare({});
    DeletionReport report = Run({"copy"}, CleanupAction::HardLink);
    EXPECT_EQ(report.replaced, 1u) << DescribeFailures(report.failures);
    EXPECT_EQ(Status("copy").st_ino, Status(report.replacedBy.at(0).second->Name() == "kept" ? "kept" : "third").st_ino);
    EXPECT_EQ(ReadBytes(tree.Path("copy")), "same bytes");
    FileItem* copy = Record("copy");
    EXPECT_FALSE(session.Doc().duplicates.Contains(copy)) << "one file is one file";
    EXPECT_EQ(session.Doc().links.FirstOf(copy), report.replacedBy[0].second);
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(Record("kept")), 2u);
    EXPECT_TRUE(session.Doc().modified);

    // Undo: a file of its own again, with the bytes, mode and time it had.
    const UndoReport undone = UndoLastCleanup(journal);
    EXPECT_EQ(undone.restored, std::vector<std::string>{tree.Path("copy")}) << DescribeUndo(undone);
    EXPECT_NE(Status("copy").st_ino, Status("kept").st_ino);
    EXPECT_EQ(Status("copy").st_mode & 07777, 0600u);
    EXPECT_EQ(ReadBytes(tree.Path("copy")), "same bytes");
    EXPECT_FALSE(UndoLastCleanup(journal).found) << "a run is undone once";
    session.Doc().TakeBackFiles(undone.restored);
    EXPECT_EQ(session.Doc().links.FirstOf(copy), nullptr) << "a file of its own again";
    EXPECT_EQ(copy->compareState, NotCompared);
    EXPECT_EQ(Record("copy"), copy);
}

TEST_F(CleanupTest, CloneWhereTheFileSystemCannotCloneLeavesTheFile) {
    Compare({{"kept", "clone me"}, {"copy", "clone me"}});
    const ino_t before = Status("copy").st_ino;
    DeletionReport report = Run({"copy"}, CleanupAction::Clone);
    if (report.replaced == 1) GTEST_SKIP() << "this file system clones; the clone is tested on Btrfs";
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].reason, "This file system cannot clone files");
    EXPECT_EQ(Status("copy").st_ino, before);
    EXPECT_EQ(ReadBytes(tree.Path("copy")), "clone me");
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(Record("copy")), 2u);
}

TEST_F(CleanupTest, TrashedFilesComeBackAndATakenPathIsNeverOverwritten) {
    for (const char* name : {"kept", "b"}) Write(name, "12345");
    SetTime("b", 1600000000, 0);
    Compare({});
    DeletionReport report = Run({"b"}, CleanupAction::Trash);
    ASSERT_EQ(report.removed, 1u) << DescribeFailures(report.failures);
    EXPECT_FALSE(Exists("b"));
    testing::WriteBytes(tree.Path("b"), "a new file at the old path");

    const UndoReport undone = UndoLastCleanup(journal);
    ASSERT_EQ(undone.besideTaken.size(), 1u) << DescribeUndo(undone);
    EXPECT_EQ(undone.besideTaken[0].second, tree.Path("b (restored)"));
    EXPECT_EQ(ReadBytes(tree.Path("b")), "a new file at the old path");
    EXPECT_EQ(ReadBytes(tree.Path("b (restored)")), "12345");
    EXPECT_EQ(Status("b (restored)").st_mtim.tv_sec, 1600000000) << "its time comes back with it";
    EXPECT_NE(DescribeUndo(undone).find(tree.Path("b") + " -> " + tree.Path("b (restored)")), std::string::npos);
    const std::string back[] = {undone.besideTaken[0].second};
    session.Doc().TakeBackFiles(back);
    ASSERT_TRUE(Record("b (restored)"));
    EXPECT_EQ(Record("b (restored)")->compareState, NotCompared) << "back in the catalogue, not compared";

    // Every step is in the journal, each line a record of its own.
    const std::string lines = ReadBytes(journal.Path());
    size_t records = 0;
    for (size_t start = 0, end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1, ++records)
        ASSERT_TRUE(JournalRecord::Parse(lines.substr(start, end - start))) << lines;
    EXPECT_EQ(records, 5u) << "start, begin, done, end, undone";
}

TEST_F(CleanupTest, FilesRemovedForGoodCannotComeBack) {
    Compare({{"kept", "abc"}, {"gone", "abc"}});
    ASSERT_EQ(Run({"gone"}, CleanupAction::Delete).removed, 1u);
    const UndoReport undone = UndoLastCleanup(journal);
    EXPECT_TRUE(undone.found);
    EXPECT_TRUE(undone.restored.empty());
    EXPECT_NE(DescribeUndo(undone).find("cannot be brought back"), std::string::npos);
    EXPECT_FALSE(Exists("gone"));
}

TEST(JournalRecordTest, FieldsComeBackAsTheyWereAndBrokenLinesAreRefused) {
    const std::string awkward[] = {"", "plain", "c d%/é", "\xff\xfe not UTF-8", "quote \" back\\slash\nline", "\x01\x7f"};
    for (const std::string& text : awkward) {
        const std::string line = JournalRecord().Text("path", text).Number("n", -42).Line();
        const std::optional<JournalRecord> read = JournalRecord::Parse(line);
        ASSERT_TRUE(read) << line;
        EXPECT_EQ(read->TextOf("path"), text);
        EXPECT_EQ(read->NumberOf("n"), -42);
        EXPECT_EQ(read->TextOf("n"), std::nullopt);
    }
    for (const char* broken : {"", "{", "{\"a\": }", "{\"a\": \"b\"", "{\"a\": \"\\q\"}", "[1]", "{\"a\": 1} x"})
        EXPECT_FALSE(JournalRecord::Parse(broken)) << broken;
}

}  // namespace
}  // namespace twinseek
