#include "scan/ScanEngine.h"

#include "platform/DirectorySearch.h"
#include "tests/scan/ScanTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace twinseek {
namespace {

using Strings = std::vector<std::string>;

class ScanEngineTest : public testing::ScanFixture {};

size_t IndexOf(const Strings& texts, const std::string& text) {
    return size_t(std::find(texts.begin(), texts.end(), text) - texts.begin());
}

TEST_F(ScanEngineTest, WalksDepthFirstRecordingHiddenEmptyAndCaseDifferingEntriesAlike) {
    tree.Folder("a");
    tree.File("a/one", 10);
    tree.Folder("a/b");
    tree.File("a/b/two", 2000);
    tree.File(".hidden", 4);
    tree.File("empty");
    tree.File("Name", 1);
    tree.File("name", 2);
    tree.Folder(".config");
    tree.File(".config/settings", 3);
    tree.Folder("...");
    tree.Folder("nothing");

    Strings statuses = Scan({tree.Root()});
    ASSERT_EQ(statuses.size(), 6u) << "every subfolder is announced, the root is not";
    EXPECT_EQ(statuses[0], "Initialize...");
    EXPECT_EQ(IndexOf(statuses, tree.Path("a/b")), IndexOf(statuses, tree.Path("a")) + 1)
        << "a subfolder is walked as soon as it is met";
    EXPECT_NE(IndexOf(statuses, tree.Path("nothing")), statuses.size()) << "an empty folder is announced";

    ASSERT_NE(FolderAt(tree.Root()), nullptr);
    EXPECT_EQ(testing::Listing(FolderAt(tree.Root())), ".../\n.config/\n.config/settings 3\na/\na/b/\na/b/two 2000\n"
                                                      "a/one 10\nnothing/\n.hidden 4\nName 1\nempty 0\nname 2\n");
    EXPECT_TRUE(FolderAt(tree.Root())->FindFile(".hidden")->findData.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    FolderItem* b = FolderAt(tree.Path("a/b"));
    EXPECT_EQ(b->compareState, Provisional);
    EXPECT_EQ(b->FindFile("two")->GetFullPath(), tree.Path("a/b/two"));
    ASSERT_EQ(intake.Count(), 7u);
    EXPECT_EQ(intake.CountOfSize(0), 1u);
    EXPECT_EQ(intake.All()[0].item, b->FindFile("two")) << "the intake is ordered largest first";
}

TEST_F(ScanEngineTest, RootsThatCannotBeListedLeaveTheirFolderChainAndRelativeRootsStartAtTheWorkingDirectory) {
    tree.File("file.txt", 9);
    tree.Folder("sub");
    tree.File("sub/file", 1);
    const std::string missing = tree.Path("missing/deeper");
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(tree.Root().c_str()), 0);
    Strings statuses = Scan({"file.txt", missing, "./sub/../sub/"});
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(statuses, Strings{"Initialize..."});
    EXPECT_EQ(testing::Listing(FolderAt(tree.Root())), "file.txt/\nmissing/\nmissing/deeper/\nsub/\nsub/file 1\n")
        << "the root after them is still walked";
    EXPECT_EQ(intake.Count(), 1u);
    FolderItem* deeper = FolderAt(missing);
    ASSERT_NE(deeper, nullptr);
    FindData expected;
    expected.SetName("deeper");
    FindData made = deeper->GetFindData();
    EXPECT_EQ(std::memcmp(&made, &expected, sizeof made), 0) << "all zero but the name";
    EXPECT_EQ(catalogRoot->ChildFolders().size(), 1u) << "one chain under \"/\"";
}

TEST_F(ScanEngineTest, AnEngineStartsOnceAndOneStoppedBeforeItsStartWalksNothing) {
    testing::RecordingTarget target;
    {
        ScanEngine unstarted(catalogRoot.get(), &intake, &links, &changes, &target);
    }
    EXPECT_TRUE(target.Statuses().empty()) << "an engine may be dropped unstarted";
    EXPECT_EQ(target.DoneCount(), 0);
    ScanEngine engine(catalogRoot.get(), &intake, &links, &changes, &target);
    ASSERT_TRUE(engine.Start({}));
    EXPECT_FALSE(engine.Start({tree.Root()}));
    engine.Wait();
    EXPECT_EQ(target.Statuses(), Strings{"Initialize..."}) << "an empty root list only initializes";
    EXPECT_EQ(target.DoneCount(), 1);

    tree.File("file", 1);
    testing::RecordingTarget stoppedTarget;
    ScanEngine stopped(catalogRoot.get(), &intake, &links, &changes, &stoppedTarget);
    stopped.Stop();
    ASSERT_TRUE(stopped.Start({tree.Root()}));
    stopped.Wait();
    EXPECT_EQ(stoppedTarget.Statuses(), Strings{"Initialize..."});
    EXPECT_TRUE(catalogRoot->ChildFolders().empty()) << "not even the root's chain is made";
}

// Ending a walk early, by Stop or by destroying the engine while it runs, and
// the counts of a walk that ran to its end.
class ScanEngineStopTest : public testing::ScanFixture {
protected:
    // A large folder "big" of plain files with a few subfolders of ten files among them.
    void MakeLargeFolder() {
        tree.Folder("big");
        for (int i = 0; i < kFiles; ++i) tree.File("big/file" + std::to_string(i), size_t(i));
        for (int i = 0; i < kSubfolders; ++i) {
            std::string sub = "big/sub" + std::to_string(i);
            tree.Folder(sub);
            for (int j = 0; j < 10; ++j) tree.File(sub + "/inner" + std::to_string(j));
        }
    }
    static constexpr int kFiles = 3000;
    static constexpr int kSubfolders = 3;
};

// The plain files listed before the first subfolder, in the order the system lists them.
size_t FilesBeforeFirstSubfolder(const std::string& path) {
    DirectorySearch search;
    FindData data;
    size_t count = 0;
    for (bool found = search.FindFirst(path.c_str(), data); found; found = search.FindNext(data)) {
        bool dots = std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!dots) break;
        } else {
            ++count;
        }
    }
    return count;
}

TEST_F(ScanEngineStopTest, StoppingWhileAFolderIsAnnouncedEndsBeforeItIsListed) {
    MakeLargeFolder();
    testing::RecordingTarget target;
    ScanEngine engine(catalogRoot.get(), &intake, &links, &changes, &target);
    target.onStatus = [&](const std::string& text) {
        if (text != "Initialize...") engine.Stop();
    };
    ASSERT_TRUE(engine.Start({tree.Path("big"), tree.Root()}));
    ASSERT_TRUE(target.WaitForDone());
    engine.Wait();

    Strings statuses = target.Statuses();
    ASSERT_EQ(statuses.size(), 2u) << "nothing is announced after the stop";
    FolderItem* stoppedIn = FolderAt(statuses[1]);
    ASSERT_NE(stoppedIn, nullptr);
    EXPECT_TRUE(stoppedIn->Files().empty());
    EXPECT_EQ(intake.Count(), FilesBeforeFirstSubfolder(tree.Path("big")))
        << "the rest of the large folder and the second root are left";
    EXPECT_EQ(target.DoneCount(), 1);
}

TEST_F(ScanEngineStopTest, ACompleteWalkCountsEverythingAndDestroyingARunningEngineStillPostsDone) {
    MakeLargeFolder();
    {
        testing::RecordingTarget target;
        ScanEngine engine(catalogRoot.get(), &intake, &links, &changes, &target);
        ASSERT_TRUE(engine.Start({tree.Root()}));
        engine.Wait();
        EXPECT_EQ(engine.FilesFound(), size_t(kFiles + 10 * kSubfolders));
        EXPECT_EQ(engine.FoldersEntered(), uint32_t(1 + kSubfolders));
        EXPECT_EQ(target.Statuses().size(), size_t(2 + kSubfolders));
    }
    testing::RootPtr otherRoot = testing::MakeRoot();
    FileCatalog otherIntake;
    SameFileLinks otherLinks;
    ScanChanges otherChanges;
    testing::RecordingTarget target;
    {
        ScanEngine engine(otherRoot.get(), &otherIntake, &otherLinks, &otherChanges, &target);
        ASSERT_TRUE(engine.Start({tree.Root()}));
        EXPECT_LE(engine.FilesFound(), size_t(kFiles + 10 * kSubfolders)) << "readable while the walk runs";
    }
    EXPECT_EQ(target.DoneCount(), 1);
    EXPECT_EQ(otherRoot->CountFiles(), otherIntake.Count());
}

}  // namespace
}  // namespace twinseek
