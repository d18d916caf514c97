// Removing duplicates: a file goes only while it is as it was compared and a
// copy that stays holds its bytes; every way a copy can fail to stay on disk
// keeps the file, or asks first; what went leaves the document.
#include "session/CheckedRemoval.h"
#include "tests/session/CleanupTestSupport.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

using testing::FileDeletionTest;

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
    testing::WriteBytes(tree.Path("grown"), "123456");
    SetTime("touched", 1234567, 0);
    ASSERT_EQ(unlink(tree.Path("linked").c_str()), 0);
    ASSERT_EQ(symlink(tree.Path("kept").c_str(), tree.Path("linked").c_str()), 0);
    // Other bytes of the same length with the time put back, as cp -p or rsync -a do,
    // and the same with a time 39 ns off, which a record's 100-ns steps cannot tell.
    testing::WriteBytes(tree.Path("rewritten"), "54321");
    SetTime("rewritten", 1700000000, 500);
    testing::WriteBytes(tree.Path("nanos"), "99999");
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
        DeleteList list = Tick({name});
        EXPECT_EQ(Reasons(Delete(list)), "No copy that stays has the same contents;") << name;
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
             struct stat before {};
             ASSERT_EQ(stat(kept.c_str(), &before), 0);
             std::string bytes = testing::ReadBytes(kept);
             bytes[0] ^= 1;
             testing::WriteBytes(kept, bytes);
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ASSERT_EQ(utimensat(AT_FDCWD, kept.c_str(), times, 0), 0); }},
        {"emptied", [&](const std::string& kept) { testing::WriteBytes(kept, ""); }},
        {"FIFO", [&](const std::string& kept) { ASSERT_EQ(unlink(kept.c_str()), 0);
                                                  ASSERT_EQ(mkfifo(kept.c_str(), 0600), 0); }},
    };
    for (bool reload : {false, true}) {
        SCOPED_TRACE(reload ? "loaded document" : "this run's comparison");
        std::vector<std::pair<std::string, std::string>> files;
        for (size_t i = 0; i < spoilers.size(); ++i) {
            const std::string bytes = "content of case " + std::to_string(i) + (reload ? " reloaded" : "");
            files.push_back({"case" + std::to_string(i) + (reload ? "r" : "") + "/keep/kept", bytes});
            files.push_back({"case" + std::to_string(i) + (reload ? "r" : "") + "/ticked", bytes});
        }
        Compare(files);
        if (reload) Reload();
        for (size_t i = 0; i < spoilers.size(); ++i) {
            const std::string folder = "case" + std::to_string(i) + (reload ? "r" : "");
            spoilers[i].second(tree.Path(folder + "/keep/kept"));
            questions.clear();
            DeleteList list = Tick({folder + "/ticked"});
            DeletionReport report = Delete(list);
            EXPECT_TRUE(Exists(folder + "/ticked")) << spoilers[i].first;
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
    for (const char* name : {"data/music/song", "other/music/song"}) SetTime(name, 1700000000, 0);
    Compare({}, tree.Path("via/data"));
    ASSERT_TRUE(session.Doc().catalog.Count() == 2);
    for (bool reload : {false, true}) {
        if (reload) Reload();
        FileItem* record = nullptr;
        for (const FileCatalog::Entry& entry : session.Doc().catalog)
            if (entry.item->Name() == "song") record = entry.item;
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
    Write("away/photo", "photo bytes");
    Write("away/song", "la la la");
    Write("here/music/song", "la la la");
    testing::ScanIntoSession(session, tree.Path("here"));
    Compare({}, tree.Path("away"));
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
    // Three copies of a photo and two of each of two songs, compared and
    // saved; then, outside the program, one photo is deleted and one copy of
    // each song rewritten with other bytes of the same length, the second
    // with its time put back.
    Compare({{"p1/photo", "photo bytes"}, {"p2/photo", "photo bytes"}, {"p3/photo", "photo bytes"},
             {"s1/song", "la la la"}, {"s2/song", "la la la"}, {"t1/tune", "tra la la"}, {"t2/tune", "tra la la"}});
    Reload();
    ASSERT_EQ(unlink(tree.Path("p3/photo").c_str()), 0);
    SetTime("s2/song", 1600000000, 0);
    testing::WriteBytes(tree.Path("s2/song"), "do re mi");
    struct stat tune {};
    ASSERT_EQ(stat(tree.Path("t2/tune").c_str(), &tune), 0);
    testing::WriteBytes(tree.Path("t2/tune"), "do re mi!");
    SetTime("t2/tune", tune.st_mtim.tv_sec, tune.st_mtim.tv_nsec);
    for (bool rescanned : {false, true}) {
        SCOPED_TRACE(rescanned ? "after a rescan" : "the document as loaded");
        if (rescanned) {
            testing::ScanIntoSession(session, tree.Root());
            EXPECT_EQ(Record("p3/photo"), nullptr) << "the phantom left the catalogue";
            EXPECT_FALSE(session.Doc().duplicates.Contains(Record("s2/song"))) << "the rewrite left its group";
            // A document keeps no inode or change time: the rewrite with its
            // time put back is not seen by the refresh, only by the check.
            EXPECT_TRUE(session.Doc().duplicates.Contains(Record("t2/tune")));
        }
        // Every real copy of the photo ticked: asked first, and No keeps them.
        questions.clear();
        DeleteList photos = Tick({"p1/photo", "p2/photo"});
        DeletionReport report = Delete(photos);
        EXPECT_EQ(questions, std::vector<size_t>{1});
        EXPECT_TRUE(Exists("p1/photo") && Exists("p2/photo"));
        // No copy is removed as a copy of bytes that were rewritten: the
        // rewrite whose time shows is no copy that stays (asked first), the
        // one whose time was put back holds other bytes.
        if (!rescanned) {
            questions.clear();
            DeleteList song = Tick({"s1/song"});
            EXPECT_EQ(Delete(song).keptLastCopies, 1u);
            EXPECT_EQ(questions, std::vector<size_t>{1});
        }
        for (const char* name : {"t1/tune", "t2/tune"}) {
            DeleteList tune = Tick({name});
            EXPECT_EQ(Reasons(Delete(tune)), "No copy that stays has the same contents;") << name;
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
        SetTime(name, 1700000000, 0);
    }
    Compare({});
    Reload();  // with no inode to hold it to, only the copy's identity tells
    ASSERT_EQ(unlink(tree.Path("alias").c_str()), 0);
    ASSERT_EQ(link(tree.Path("original").c_str(), tree.Path("alias").c_str()), 0);
    DeleteList list = Tick({"alias"});
    EXPECT_EQ(Reasons(Delete(list)), "Same file on disk as " + tree.Path("original") + ", which is kept;");
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
    remover.failing.clear();
    EXPECT_TRUE(Delete(list).refused);
    EXPECT_TRUE(Exists("b"));
    EXPECT_EQ(remover.calls.size(), 1u);
    session.StopComparison();
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

}  // namespace
}  // namespace twinseek
