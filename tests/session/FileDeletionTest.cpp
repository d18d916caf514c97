// Removing duplicates: a file goes only while it is as it was compared and a copy
// that stays holds its bytes; else it is kept, or the user asked first. Hard links,
// clones, the journal, undo from the Trash, and cleanup plans applied where the files are.
// Last, rescans over real folders: they record what a fresh scan does and keep what
// could not be listed (a rescan's groups are checked end to end in the CLI's refresh test).
#include "cli/RefreshReport.h"
#include "compare/FileDigest.h"
#include "platform/EntryRemoval.h"
#include "platform/PathProbe.h"
#include "session/AppSession.h"
#include "session/CheckedRemoval.h"
#include "session/CleanupJournal.h"
#include "session/CleanupPlan.h"
#include "session/CleanupUndo.h"
#include "session/DeleteList.h"
#include "session/DiskFileRemover.h"
#include "session/FileDeletion.h"
#include "session/JournalRecord.h"
#include "session/ResultModel.h"
#include "tests/session/SessionTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using namespace testing;

// Unlinks for real (the Trash is tested on its own), except the paths told to
// fail, and writes down what it was asked.
class FakeRemover final : public FileRemover {
public:
    RemoverOutcome Remove(const CheckedEntry& file, CleanupAction action) override {
        calls.push_back((action == CleanupAction::Trash ? "trash " : "unlink ") + file.path);
        if (onRemove) onRemove();
        auto failure = failing.find(file.path);
        if (failure != failing.end()) return {failure->second, {}, {}, {}};
        return {UnlinkEntry(file.folder, file.name, file.identity), {}, {}, {}};
    }
    RemoverOutcome Replace(const CheckedEntry& file, const CheckedEntry&, CleanupAction) override {
        calls.push_back("replace " + file.path);
        return {ENOTSUP, {}, {}, {}};
    }

    std::map<std::string, int> failing;
    std::vector<std::string> calls;
    std::function<void()> onRemove;
};

class FileDeletionTest : public ::testing::Test, protected RecordingSession {
protected:
    // Writes the files (name and contents), catalogues and compares them, and
    // shows their groups; the document then counts as saved.
    void Compare(const std::vector<std::pair<std::string, std::string>>& files, const std::string& root = "") {
        for (const auto& [name, content] : files) Write(name, content);
        ScanIntoSession(session, root.empty() ? tree.Root() : root);
        ASSERT_TRUE(session.CompareAllSharedSizes());
        ASSERT_TRUE(CollectUntilDone(session));
        session.Doc().modified = false;
    }
    void Write(const std::string& name, const std::string& content) {
        std::filesystem::create_directories(std::filesystem::path(tree.Path(name)).parent_path());
        WriteBytes(tree.Path(name), content);
    }
    // Saves and opens the document again: the records then carry no stamps.
    void Reload() {
        ASSERT_TRUE(session.SaveTo(tree.Path("saved.tws")));
        ASSERT_TRUE(session.OpenFile(tree.Path("saved.tws")));
        ASSERT_EQ(session.Doc().stamps.Count(), 0u);
    }
    FileItem* Record(const std::string& name) const { return testing::RecordOf(session.Doc(), tree.Path(name)); }
    DeleteList Tick(const std::vector<std::string>& names) {
        std::vector<FileItem*> files;
        for (const std::string& name : names) {
            FileItem* file = Record(name);
            EXPECT_TRUE(file) << name;
            if (file) files.push_back(file);  // a record lost on the way fails the test, not the run
        }
        return DeleteList(files);
    }
    // Deletes for good; the question about groups without a copy is answered
    // with answer and counted.
    DeletionReport Delete(DeleteList& list, bool answer = false) {
        DeletionHooks hooks;
        hooks.removeLastCopies = [&, answer](size_t groups, const std::vector<std::string>&) {
            questions.push_back(groups);
            return answer;
        };
        return list.DeleteTicked(session, remover, CleanupAction::Delete, journal, hooks);
    }
    DeletionReport Delete(DeleteList&& list, bool answer = false) { return Delete(list, answer); }
    static std::string Reasons(const DeletionReport& report) {
        std::string text;
        for (const DeletionFailure& failure : report.failures) text += failure.reason + ";";
        return text;
    }
    bool Exists(const std::string& name) const { return PathExists(tree.Path(name)); }
    void SetTime(const std::string& name, int64_t seconds, long nanos = 0) {
        testing::SetWriteTime(tree.Path(name), seconds, nanos);
    }

    TemporaryTree tree;
    ResultModel model{session.Doc()};
    FakeRemover remover;
    CleanupJournal journal{tree.Path("journal/cleanup.jsonl")};
    std::vector<size_t> questions;
};

TEST_F(FileDeletionTest, CheckedCopyLeavesEverythingAndStaysDeletedAfterSaveAndOpen) {
    Compare({{"a", "12345"}, {"b", "12345"}, {"c", "abcdef"}, {"d", "abcdef"}, {"e", "abcdef"}});
    FileItem* kept = Record("a");
    DeleteList list = Tick({"b", "d"});
    list.SetTicked(1, false);
    ASSERT_EQ(unlink(tree.Path("d").c_str()), 0);  // gone meanwhile: leaves though not ticked
    DeletionReport report = Delete(list);
    EXPECT_EQ(report.removed, 1u);
    EXPECT_EQ(report.discarded, 2u);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(remover.calls, std::vector<std::string>{"unlink " + tree.Path("b")});
    EXPECT_FALSE(Exists("b"));
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_TRUE(list.deletedAny);
    EXPECT_TRUE(session.Doc().modified) << "a deletion is a change to save";
    EXPECT_EQ(Record("b"), nullptr) << "out of the size index";
    EXPECT_EQ(kept->parent->FindFile("b"), nullptr) << "out of the folder tree";
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(kept), 1u);
    EXPECT_EQ(session.Doc().stamps.Count(), 3u) << "the stamps of the records that left went with them";
    EXPECT_EQ(session.Finished().RowCount(), 3u);
    EXPECT_EQ(model.RowCount(), 2u) << "a group left with one file vanishes";

    Reload();
    EXPECT_EQ(Record("b"), nullptr) << "the deleted file does not come back";
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(Record("a")), 1u);
    EXPECT_EQ(model.RowCount(), 2u);
}

TEST_F(FileDeletionTest, TickedFileNoLongerAsComparedIsKept) {
    for (const char* name : {"kept", "grown", "touched", "linked", "rewritten", "nanos"}) Write(name, "12345");
    // Times of whole 100-ns steps, which a record keeps exactly.
    for (const char* name : {"kept", "rewritten", "nanos"}) SetTime(name, 1700000000, 500);
    Compare({});
    WriteBytes(tree.Path("grown"), "123456");
    SetTime("touched", 1234567, 0);
    ASSERT_EQ(unlink(tree.Path("linked").c_str()), 0);
    ASSERT_EQ(symlink(tree.Path("kept").c_str(), tree.Path("linked").c_str()), 0);
    // Other bytes of the same length with the time put back, as cp -p or rsync -a do,
    // and the same with a time 39 ns off, which a record's 100-ns steps cannot tell.
    testing::RewriteKeepingTime(tree.Path("rewritten"), "54321");
    WriteBytes(tree.Path("nanos"), "99999");
    SetTime("nanos", 1700000000, 539);
    const std::pair<const char*, const char*> cases[] = {
        {"grown", "Size changed since it was compared"}, {"touched", "Modified since it was compared"},
        {"linked", "Replaced by a link"},                {"rewritten", "Modified since it was compared"},
        {"nanos", "Modified since it was compared"},
    };
    for (auto [name, reason] : cases) {
        DeleteList list = Tick({name});
        DeletionReport report = Delete(list);
        EXPECT_EQ(Reasons(report), std::string(reason) + ";") << name;
        EXPECT_EQ(list.RowCount(), 1u) << "still listed";
    }
    // A loaded document knows no inodes: the bytes tell the rewrites apart.
    Reload();
    for (const char* name : {"rewritten", "nanos"}) {
        EXPECT_EQ(Reasons(Delete(Tick({name}))), "No copy that stays has the same contents;") << name;
    }
    EXPECT_TRUE(remover.calls.empty());
    EXPECT_TRUE(questions.empty());
}

TEST_F(FileDeletionTest, CopyThatStaysNotOnDiskAsComparedKeepsTheTickedFile) {
    // Each case a group of its own: the copy that stays is spoilt after the comparison.
    const std::vector<std::pair<std::string, std::function<void(const std::string& kept)>>> spoilers = {
        {"folder removed", [&](const std::string& kept) { ASSERT_EQ(unlink(kept.c_str()), 0);
                                                            ASSERT_EQ(rmdir(kept.substr(0, kept.rfind('/')).c_str()), 0); }},
        {"link to the ticked file", [&](const std::string& kept) { ASSERT_EQ(unlink(kept.c_str()), 0);
                                                                     ASSERT_EQ(symlink("../ticked", kept.c_str()), 0); }},
        {"overwritten, time put back", [&](const std::string& kept) {
             std::string bytes = ReadBytes(kept);
             bytes[0] ^= 1;
             testing::RewriteKeepingTime(kept, bytes); }},
        {"emptied", [&](const std::string& kept) { WriteBytes(kept, ""); }},
        {"FIFO", [&](const std::string& kept) { ASSERT_EQ(unlink(kept.c_str()), 0);
                                                  ASSERT_EQ(mkfifo(kept.c_str(), 0600), 0); }},
    };
    for (bool reload : {false, true}) {
        SCOPED_TRACE(reload ? "loaded document" : "this run's comparison");
        const auto folder = [&](size_t i) { return "case" + std::to_string(i) + (reload ? "r" : ""); };
        std::vector<std::pair<std::string, std::string>> files;
        for (size_t i = 0; i < spoilers.size(); ++i)
            for (const char* name : {"/keep/kept", "/ticked"})
                files.push_back({folder(i) + name, "content of " + folder(i)});
        Compare(files);
        if (reload) Reload();
        for (size_t i = 0; i < spoilers.size(); ++i) {
            spoilers[i].second(tree.Path(folder(i) + "/keep/kept"));
            questions.clear();
            DeleteList list = Tick({folder(i) + "/ticked"});
            DeletionReport report = Delete(list);
            EXPECT_TRUE(Exists(folder(i) + "/ticked")) << spoilers[i].first;
            EXPECT_EQ(list.RowCount(), 1u) << spoilers[i].first;
            // Either the copy is seen not to be there before anything starts,
            // and the user is asked, or its bytes are found to differ.
            EXPECT_TRUE((questions == std::vector<size_t>{1} && report.keptLastCopies == 1) ||
                        Reasons(report) == "No copy that stays has the same contents;")
                << spoilers[i].first << ": " << Reasons(report);
        }
    }
    EXPECT_TRUE(remover.calls.empty());
}

TEST_F(FileDeletionTest, FolderOnThePathReplacedByALinkIsNeverGoneThrough) {
    // The scan's root is reached through a link, which is followed as it was then.
    ASSERT_EQ(symlink(tree.Root().c_str(), tree.Path("via").c_str()), 0);
    // "other" is what a link would lead to: same name, size and time.
    for (const char* name : {"data/music/song", "data/kept", "other/music/song"}) Write(name, "la la la");
    for (const char* name : {"data/music/song", "other/music/song"}) SetTime(name, 1700000000);
    Compare({}, tree.Path("via/data"));
    ASSERT_TRUE(session.Doc().catalog.Count() == 2);
    for (bool reload : {false, true}) {
        if (reload) Reload();
        FileItem* record = testing::RecordOf(session.Doc(), "song");
        ASSERT_TRUE(record);
        ASSERT_EQ(rename(tree.Path("data/music").c_str(), tree.Path("data/music.moved").c_str()), 0);
        ASSERT_EQ(symlink(tree.Path("other/music").c_str(), tree.Path("data/music").c_str()), 0);
        DeleteList list({record});
        DeletionReport report = Delete(list);
        EXPECT_EQ(Reasons(report), "A folder on its path is now a link: " + tree.Path("via/data/music") + ";");
        EXPECT_TRUE(Exists("other/music/song"));
        ASSERT_EQ(unlink(tree.Path("data/music").c_str()), 0);
        ASSERT_EQ(rename(tree.Path("data/music.moved").c_str(), tree.Path("data/music").c_str()), 0);
    }
    // With the folder back the copy goes, through the root's link as scanned.
    DeleteList list({Record("via/data/music/song")});
    EXPECT_EQ(Delete(list).removed, 1u);
    EXPECT_FALSE(Exists("data/music/song"));
    EXPECT_TRUE(Exists("other/music/song"));
}

TEST_F(FileDeletionTest, FileWhoseScanRootIsNotHereIsRefusedAndNeverTakenForGone) {
    // Two roots, as two machines' scans put into one document; then the
    // second root is not on this computer any more.
    Write("here/photo", "photo bytes");
    Write("here/music/song", "la la la");
    ScanIntoSession(session, tree.Path("here"));
    Compare({{"away/photo", "photo bytes"}, {"away/song", "la la la"}}, tree.Path("away"));
    for (bool reload : {false, true}) {
        SCOPED_TRACE(reload ? "loaded document" : "this run's comparison");
        if (reload) Reload();
        ASSERT_EQ(rename(tree.Path("away").c_str(), tree.Path("elsewhere").c_str()), 0);
        DeleteList list = Tick({"away/photo", "here/music/song", "here/photo"});
        list.SetTicked(2, false);
        const DeletionReport report = Delete(list);
        EXPECT_EQ(Reasons(report), std::string(kNotOnThisComputer) + ";");
        EXPECT_EQ(report.gone, std::vector<FileItem*>{}) << "neither the ticked nor the unticked one is gone";
        EXPECT_EQ(report.keptLastCopies, 1u) << "the song's only other copy is not here: it is asked about";
        EXPECT_EQ(questions, std::vector<size_t>{1});
        EXPECT_EQ(list.RowCount(), 3u);
        EXPECT_NE(Record("away/photo"), nullptr);
        EXPECT_TRUE(remover.calls.empty());
        questions.clear();
        ASSERT_EQ(rename(tree.Path("elsewhere").c_str(), tree.Path("away").c_str()), 0);
    }
}

TEST_F(FileDeletionTest, EveryCopyTickedIsAskedOnceAndOnlyYesRemovesThem) {
    Compare({{"a1", "aaaa"}, {"a2", "aaaa"}, {"a3", "aaaa"}, {"b1", "bbbbb"}, {"b2", "bbbbb"}});
    DeleteList list = Tick({"a1", "a2", "a3", "b2"});
    DeletionReport report = Delete(list, false);
    EXPECT_EQ(questions, std::vector<size_t>{1});
    EXPECT_EQ(report.keptLastCopies, 3u);
    EXPECT_EQ(report.removed, 1u) << "the group that keeps a copy still loses its ticked one";
    EXPECT_TRUE(Exists("a1") && Exists("a2") && Exists("a3"));
    EXPECT_FALSE(Exists("b2"));

    questions.clear();
    report = Delete(list, true);
    EXPECT_EQ(questions, std::vector<size_t>{1});
    EXPECT_EQ(report.removed, 3u);
    EXPECT_FALSE(Exists("a1") || Exists("a2") || Exists("a3"));
}

TEST_F(FileDeletionTest, PhantomCopiesNeverLetTheLastRealCopyGo) {
    // Saved; then, outside the program, one photo is deleted and one copy of each
    // song rewritten at the same length, the second with its time put back.
    Compare({{"p1/photo", "photo bytes"}, {"p2/photo", "photo bytes"}, {"p3/photo", "photo bytes"},
             {"s1/song", "la la la"}, {"s2/song", "la la la"}, {"t1/tune", "tra la la"}, {"t2/tune", "tra la la"}});
    Reload();
    ASSERT_EQ(unlink(tree.Path("p3/photo").c_str()), 0);
    SetTime("s2/song", 1600000000);
    WriteBytes(tree.Path("s2/song"), "do re mi");
    testing::RewriteKeepingTime(tree.Path("t2/tune"), "do re mi!");
    for (bool rescanned : {false, true}) {
        SCOPED_TRACE(rescanned ? "after a rescan" : "the document as loaded");
        if (rescanned) {
            ScanIntoSession(session, tree.Root());
            EXPECT_EQ(Record("p3/photo"), nullptr) << "the phantom left the catalogue";
            EXPECT_FALSE(session.Doc().duplicates.Contains(Record("s2/song"))) << "the rewrite left its group";
            // A document keeps no inode or change time: the rewrite with its
            // time put back is not seen by the refresh, only by the check.
            EXPECT_TRUE(session.Doc().duplicates.Contains(Record("t2/tune")));
        }
        // Every real copy of the photo ticked: asked first, and No keeps them.
        questions.clear();
        Delete(Tick({"p1/photo", "p2/photo"}));
        EXPECT_EQ(questions, std::vector<size_t>{1});
        EXPECT_TRUE(Exists("p1/photo") && Exists("p2/photo"));
        // No copy is removed as a copy of bytes that were rewritten: the
        // rewrite whose time shows is no copy that stays (asked first), the
        // one whose time was put back holds other bytes.
        if (!rescanned) {
            questions.clear();
            EXPECT_EQ(Delete(Tick({"s1/song"})).keptLastCopies, 1u);
            EXPECT_EQ(questions, std::vector<size_t>{1});
        }
        for (const char* name : {"t1/tune", "t2/tune"}) {
            EXPECT_EQ(Reasons(Delete(Tick({name}))), "No copy that stays has the same contents;") << name;
        }
        EXPECT_TRUE(Exists("s1/song") && Exists("t1/tune") && Exists("t2/tune"));
    }
    EXPECT_TRUE(remover.calls.empty());
}

TEST_F(FileDeletionTest, PathThatIsTheSameFileAsACopyThatStaysIsRefused) {
    // After the comparison the alias becomes a second name of the original, as
    // a bind mount would show it: same size, same time.
    for (const char* name : {"original", "alias"}) {
        Write(name, "shared");
        SetTime(name, 1700000000);
    }
    Compare({});
    Reload();  // with no inode to hold it to, only the copy's identity tells
    ASSERT_EQ(unlink(tree.Path("alias").c_str()), 0);
    ASSERT_EQ(link(tree.Path("original").c_str(), tree.Path("alias").c_str()), 0);
    EXPECT_EQ(Reasons(Delete(Tick({"alias"}))), "Same file on disk as " + tree.Path("original") + ", which is kept;");
    EXPECT_TRUE(Exists("alias"));
}

TEST_F(FileDeletionTest, FailuresKeepTheRecordAndNothingIsTouchedWhileComparing) {
    Compare({{"a", "same"}, {"b", "same"}, {"lone", "different size"}});
    remover.failing[tree.Path("b")] = EACCES;
    DeleteList list = Tick({"b"});
    DeletionReport report = list.DeleteTicked(session, remover, CleanupAction::Trash, journal);
    EXPECT_EQ(remover.calls, std::vector<std::string>{"trash " + tree.Path("b")});
    EXPECT_EQ(DescribeFailures(report.failures),
              "1 file could not be removed:\n\n" + tree.Path("b") + ": Permission denied");
    EXPECT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(Record("b")), 2u);
    EXPECT_FALSE(session.Doc().modified);

    session.Engine().Pause();
    FileItem* lone = Record("lone");
    ASSERT_TRUE(session.CompareFiles({&lone, 1}));
    EXPECT_TRUE(session.Doc().modified) << "starting a comparison changes the document";
    remover.failing.clear();
    EXPECT_TRUE(Delete(list).refused);
    EXPECT_TRUE(Exists("b"));
    EXPECT_EQ(remover.calls.size(), 1u);

    // A new document stops the comparison: no row may outlive the records it points at.
    session.Doc().modified = false;
    session.Doc().New();
    EXPECT_FALSE(session.IsComparing());
    EXPECT_EQ(session.Finished().RowCount(), 0u);
    EXPECT_EQ(session.Doc().catalog.Count(), 0u);
}

TEST_F(FileDeletionTest, FolderWithoutSearchPermissionKeepsItsFileAndRecord) {
    Compare({{"locked/copy", "same"}, {"kept", "same"}});
    ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0), 0);
    const std::optional<bool> kept = testing::AsUnprivilegedUser([&] {
        DeleteList list = Tick({"locked/copy"});
        DeletionReport report = Delete(list);
        const bool kept = list.RowCount() == 1 && Reasons(report) == "Permission denied;" &&
                          session.Doc().duplicates.CountOfKeyOf(Record("locked/copy")) == 2 && remover.calls.empty();
        if (!kept) std::fprintf(stderr, "%zu rows, reasons \"%s\"\n", list.RowCount(), Reasons(report).c_str());
        return kept;
    });
    chmod(tree.Path("locked").c_str(), 0755);
    if (!kept) GTEST_SKIP() << "this root may not become another user";
    EXPECT_TRUE(*kept);
    EXPECT_TRUE(Exists("locked/copy"));
}

TEST_F(FileDeletionTest, CancelledRunRemovesNothingMore) {
    Compare({{"a1", "aaaa"}, {"a2", "aaaa"}, {"a3", "aaaa"}, {"b1", "bbb"}, {"b2", "bbb"}, {"b3", "bbb"}});
    const std::vector<FileItem*> doomed = {Record("a2"), Record("a3"), Record("b2"), Record("b3")};
    RemovalPlan plan(session.Doc(), doomed);
    EXPECT_EQ(plan.LookForKeptCopies(), 0u);
    CheckedRemoval run(plan, remover, CleanupAction::Delete, false, journal);
    remover.onRemove = [&] {
        if (remover.calls.size() == 2) run.Cancel();
    };
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(testing::WaitUntil([&] { return run.WaitFor(std::chrono::milliseconds(10)); }));
    std::vector<RemovalOutcome> outcomes;
    for (const RemovalResult& result : run.Results()) outcomes.push_back(result.outcome);
    EXPECT_EQ(outcomes, (std::vector<RemovalOutcome>{RemovalOutcome::Removed, RemovalOutcome::Removed,
                                                     RemovalOutcome::NotReached, RemovalOutcome::NotReached}));
    EXPECT_EQ(run.Results()[0].checkedAgainst, tree.Path("a1"));
    EXPECT_TRUE(Exists("b2") && Exists("b3"));
    EXPECT_EQ(run.FilesDone(), 2u);
}

TEST(DeleteListTest, CaptionsQuestionAndFailureMessageCountTheirFiles) {
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
    EXPECT_TRUE(LastCopiesQuestion(2, {"/a", "/b"}).starts_with("2 groups would keep no copy on disk"));
    EXPECT_NE(LastCopiesQuestion(1, {"/a"}).find("\n\n/a\n\n"), std::string::npos);
}

class CleanupTest : public FileDeletionTest {
protected:
    DeletionReport Run(const std::vector<std::string>& names, CleanupAction action) {
        return Tick(names).DeleteTicked(session, disk, action, journal);
    }
    struct stat Status(const std::string& name) const { return testing::StatusOf(tree.Path(name)); }

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

TEST_F(CleanupTest, TrashedFilesComeBackNeverOverATakenPathAndFilesRemovedForGoodCannot) {
    for (const char* name : {"kept", "b", "gone"}) Write(name, "12345");
    SetTime("b", 1600000000);
    Compare({});
    DeletionReport report = Run({"b"}, CleanupAction::Trash);
    ASSERT_EQ(report.removed, 1u) << DescribeFailures(report.failures);
    EXPECT_FALSE(Exists("b"));
    WriteBytes(tree.Path("b"), "a new file at the old path");

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

    // What was removed for good cannot come back.
    ASSERT_EQ(Run({"gone"}, CleanupAction::Delete).removed, 1u);
    const UndoReport forGood = UndoLastCleanup(journal);
    EXPECT_TRUE(forGood.found);
    EXPECT_TRUE(forGood.restored.empty());
    EXPECT_NE(DescribeUndo(forGood).find("cannot be brought back"), std::string::npos);
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

std::string Members(const PlanFile& file) {
    std::string out;
    AppendPlanFileMembers(out, file);
    return out;
}

TEST(CleanupPlanTest, PlansReadBackByteForByteAndWhatIsNoPlanIsSaidSo) {
    const PlanFile file{"/d/caf\xe9 \"q\"\n\x01", "/d", 5, -1234567800, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"};
    const PlanFile keep{"/e/k\xc3\xa9", "/", 5, 1700000000000000000, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"};
    const std::string step = "{" + Members(file) + ", \"keep\": {" + Members(keep) + "}, \"outcome\": \"planned\"}";
    std::string error;
    const std::optional<CleanupPlan> plan = ParseCleanupPlan(
        "{\"action\": \"delete\", \"dry_run\": true, \"other\": [1.5e3, {\"a\": null}], \"files\": [" + step + "]}",
        error);
    ASSERT_TRUE(plan) << error;
    EXPECT_EQ(plan->action, CleanupAction::Delete);
    ASSERT_EQ(plan->steps.size(), 1u);
    EXPECT_EQ(Members(plan->steps[0].file), Members(file));
    EXPECT_EQ(Members(plan->steps[0].keep), Members(keep));

    const std::pair<std::string, std::string> wrong[] = {
        {"[]", "does not begin with {"},
        {"{\"files\": []}", "no \"action\""},
        {"{\"action\": \"shred\", \"files\": []}", "not trash, delete, hardlink or clone"},
        {"{\"action\": \"trash\", \"files\": [{\"path\": \"/a\"}]}", "file 1 of the plan lacks"},
        {"{\"action\": \"trash\", \"files\": [" + step + "]", "does not end"},
    };
    for (const auto& [text, says] : wrong) {
        EXPECT_FALSE(ParseCleanupPlan(text, error)) << text;
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
}

PlanFile At(std::string path, std::string anchor) { return {std::move(path), std::move(anchor), 0, 0, ""}; }

TEST(CleanupPlanTest, PathsAndTheirAnchorsAreTakenBackByTheLongestMappingThatHoldsThem) {
    const std::vector<PathMapping> mappings = {
        {"/net/laptop/home", "/home"}, {"/net/nas", "/srv"}, {"/net/one/file", "/data/renamed"}};
    struct Case {
        PlanFile planned;
        std::string path, anchor, steps;  // as the check walks it here; path empty: left out
    };
    const Case cases[] = {
        {At("/net/laptop/home/ann/d/f", "/net/laptop/home/ann"), "/home/ann/d/f", "/home/ann", "d/"},
        {At("/net/laptop/homework/f", "/net/laptop"), "/net/laptop/homework/f", "/net/laptop", "homework/"},
        // The mapping lies below the anchor: its new folder is followed as it is here.
        {At("/net/nas/music/a/f", "/net"), "/srv/music/a/f", "/srv", "music/a/"},
        {At("/net/one/file", "/net"), "/data/renamed", "/data", ""},
        {At("/a/f", "/b"), "", "", ""},
    };
    CleanupPlan plan;
    for (const Case& test : cases) plan.steps.push_back({test.planned, At("/k/f", "/k")});
    plan.steps.push_back(plan.steps[0]);  // a file planned twice is acted on once
    const LocalPlan local = TakeToThisComputer(plan, mappings);
    ASSERT_EQ(local.removals.size(), 4u);
    EXPECT_EQ(local.errors, std::vector<std::string>{"/a/f is not below the folder its scan began in, /b"});
    for (size_t i = 0; i < local.removals.size(); ++i) {
        const CheckedFile& file = local.removals[i].file;
        std::string steps;
        for (const std::string& step : file.where.steps) steps += step + "/";
        EXPECT_EQ(file.path, cases[i].path);
        EXPECT_EQ(file.where.anchor, cases[i].anchor) << file.path;
        EXPECT_EQ(steps, cases[i].steps) << file.path;
        EXPECT_EQ(local.steps[i].file.path + " @" + local.steps[i].file.anchor, file.path + " @" + file.where.anchor);
    }
}

TEST(CleanupPlanTest, ACopyKeptOnAnotherComputerIsStoodForByTheDigestOfTheFileReadAgain) {
    TemporaryTree tree;
    tree.Folder("here");
    struct Case {
        const char* name;
        CleanupAction action;
        bool keptHere;         // else its scan root is not on this computer
        std::string keepDigest;  // empty: the file's own
        const char* afterPlan;   // the file's (or, kept here, the copy's) bytes rewritten at their length
        const char* reason;      // empty: removed
    };
    const Case cases[] = {
        {"intact", CleanupAction::Delete, false, "", nullptr, ""},
        {"rewritten", CleanupAction::Trash, false, "", "other",
         "Modified since it was compared: its SHA-1 is not the one planned"},
        {"linked", CleanupAction::HardLink, false, "", nullptr,
         "The copy it keeps is not on this computer: a link or a clone needs it here"},
        {"unlike", CleanupAction::Delete, false, "ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ", nullptr,
         "The copy it keeps is not on this computer, and the plan gives them no digest in common"},
        {"kept changed", CleanupAction::Delete, true, "", "other", "No copy that stays has the same contents"},
    };
    FakeRemover remover;
    CleanupJournal journal(tree.Path("journal.jsonl"));
    for (const Case& test : cases) {
        const std::string name = test.name;
        // Both copies written at one time, which the plan gives them.
        for (const std::string& file : {name, name + ".kept"}) {
            WriteBytes(tree.Path("here/" + file), "bytes");
            testing::SetWriteTime(tree.Path("here/" + file), 1700000000);
        }
        const std::string digest = DigestFile(tree.Path("here/" + name).c_str()).text;
        const int64_t nanos = 1700000000'000000000;
        const std::string keptRoot = test.keptHere ? tree.Path("here") : tree.Path("elsewhere");
        CleanupPlan plan{test.action, {{{tree.Path("here/" + name), tree.Path("here"), 5, nanos, digest},
                                        {keptRoot + "/" + name + ".kept", keptRoot, 5, nanos,
                                         test.keepDigest.empty() ? digest : test.keepDigest}}}};
        if (test.afterPlan)
            testing::RewriteKeepingTime(tree.Path("here/" + name + (test.keptHere ? ".kept" : "")), test.afterPlan);
        bool cancelled = false;
        const std::vector<RemovalResult> results = RunRemovalPlan(
            RemovalPlan(TakeToThisComputer(plan, {}).removals), remover, test.action, false, journal, {}, cancelled);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].reason, test.reason) << name;
        EXPECT_EQ(results[0].byDigest, !*test.reason) << name;
        EXPECT_EQ(PathExists(tree.Path("here/" + name)), *test.reason != '\0') << name;
    }
}

TEST(ScanRefreshTest, ARescanTakesInWhatChangedAndKeepsWhatCouldNotBeListed) {
    testing::TemporaryTree tree;
    for (const char* folder : {"data", "data/locked", "data/gone", "usb"}) tree.Folder(folder);
    for (const char* name : {"data/kept", "data/locked/inside", "data/gone/file", "usb/photo"})
        WriteBytes(tree.Path(name), name);
    testing::RecordingSession scanned;
    for (const char* root : {"data", "usb"}) testing::ScanIntoSession(scanned.session, tree.Path(root));
    const auto listing = [&] { return testing::Listing(scanned.session.Doc().root); };
    std::string before = listing();

    // A folder removed, a file added and one rewritten at another size.
    ASSERT_EQ(unlink(tree.Path("data/gone/file").c_str()), 0);
    ASSERT_EQ(rmdir(tree.Path("data/gone").c_str()), 0);
    WriteBytes(tree.Path("data/new"), "new");
    WriteBytes(tree.Path("data/kept"), "longer than before");
    testing::ScanIntoSession(scanned.session, tree.Path("data"), false);
    EXPECT_EQ(listing(), before) << "a cancelled scan changes nothing";
    RefreshCounts counts;
    testing::ScanIntoSession(scanned.session, tree.Path("data"), true, &counts);
    EXPECT_EQ(RefreshSummaryLine(counts), "Refreshed: 1 new, 1 changed, 1 gone");
    testing::RecordingSession fresh;
    for (const char* root : {"data", "usb"}) testing::ScanIntoSession(fresh.session, tree.Path(root));
    EXPECT_EQ(listing(), testing::Listing(fresh.session.Doc().root)) << "a rescan records what a fresh scan does";
    before = listing();

    // A drive unmounted since: its root cannot be opened.
    ASSERT_EQ(rename(tree.Path("usb").c_str(), tree.Path("away").c_str()), 0);
    testing::ScanIntoSession(scanned.session, tree.Path("usb"), true, &counts);
    EXPECT_EQ(listing(), before);
    EXPECT_EQ(counts.goneFiles, 0u);

    // A folder that may not be listed, by a user whom permissions bind.
    ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
    ASSERT_EQ(chmod(tree.Path("data/locked").c_str(), 0), 0);
    const std::optional<bool> kept = testing::AsUnprivilegedUser([&] {
        testing::ScanIntoSession(scanned.session, tree.Path("data"), true, &counts);
        return listing() == before && counts.goneFiles == 0;
    });
    chmod(tree.Path("data/locked").c_str(), 0755);
    if (!kept) GTEST_SKIP() << "this root may not become another user";
    EXPECT_TRUE(*kept) << "the locked folder's records stay";
}

}  // namespace
}  // namespace twinseek
