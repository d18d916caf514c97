#include "scan/ScanEngine.h"

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

    FolderItem* top = FolderAt(tree.Root());
    ASSERT_NE(top, nullptr);
    FolderItem* b = FolderAt(tree.Path("a/b"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->compareState, Provisional);
    FileItem* two = b->FindFile("two");
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->Size(), 2000u);
    EXPECT_EQ(two->GetFullPath(), tree.Path("a/b/two"));
    ASSERT_NE(top->FindFile(".hidden"), nullptr);
    EXPECT_TRUE(top->FindFile(".hidden")->findData.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(top->FindFile("Name")->Size(), 1u);
    EXPECT_EQ(top->FindFile("name")->Size(), 2u);
    EXPECT_NE(FolderAt(tree.Path("...")), nullptr);
    EXPECT_NE(FolderAt(tree.Path("nothing")), nullptr);

    EXPECT_EQ(top->CountFiles(), 7u);
    ASSERT_EQ(intake.Count(), 7u) << "the hidden folder's file too";
    EXPECT_EQ(intake.CountOfSize(0), 1u);
    EXPECT_EQ(intake.All()[0].item, two) << "the intake is ordered largest first";
}

TEST_F(ScanEngineTest, OverlappingRootsAddNoFileTwice) {
    tree.Folder("Data");
    tree.File("Data/x", 1);
    tree.Folder("Data/Music");
    tree.File("Data/Music/song", 2);
    tree.Folder("Data/Music/Album");
    tree.File("Data/Music/Album/track", 3);

    Strings statuses = Scan({tree.Path("Data"), tree.Path("Data/Music")});
    EXPECT_EQ(statuses, (Strings{"Initialize...", tree.Path("Data/Music"), tree.Path("Data/Music/Album"),
                                 tree.Path("Data/Music/Album")}))
        << "roots are walked in list order and are not announced themselves";
    EXPECT_EQ(intake.Count(), 3u);
    EXPECT_EQ(FolderAt(tree.Path("Data"))->CountFiles(), 3u);
}

TEST_F(ScanEngineTest, ARescanAddsOnlyNewNamesAndKeepsRecordedSizes) {
    tree.File("old", 100);
    Scan({tree.Root()});
    catalogRoot->Prune(true);
    intake.Clear();

    tree.File("old", 5000);
    tree.File("new", 7);
    Scan({tree.Root()});
    ASSERT_EQ(intake.Count(), 1u);
    EXPECT_EQ(intake.All()[0].item->Name(), "new");
    FileItem* old = FolderAt(tree.Root())->FindFile("old");
    EXPECT_EQ(old->Size(), 100u);
    EXPECT_EQ(old->compareState, NotCompared);
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
    ASSERT_NE(FolderAt(tree.Path("sub")), nullptr);
    EXPECT_NE(FolderAt(tree.Path("sub"))->FindFile("file"), nullptr) << "the root after them is still walked";
    EXPECT_EQ(intake.Count(), 1u);

    FolderItem* asFolder = FolderAt(tree.Path("file.txt"));
    ASSERT_NE(asFolder, nullptr);
    EXPECT_TRUE(asFolder->Files().empty());
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
        ScanEngine unstarted(catalogRoot.get(), &intake, &target);
    }
    EXPECT_TRUE(target.Statuses().empty()) << "an engine may be dropped unstarted";
    EXPECT_EQ(target.DoneCount(), 0);
    ScanEngine engine(catalogRoot.get(), &intake, &target);
    ASSERT_TRUE(engine.Start({}));
    EXPECT_FALSE(engine.Start({tree.Root()}));
    engine.Wait();
    EXPECT_EQ(target.Statuses(), Strings{"Initialize..."}) << "an empty root list only initializes";
    EXPECT_EQ(target.DoneCount(), 1);

    tree.File("file", 1);
    testing::RecordingTarget stoppedTarget;
    ScanEngine stopped(catalogRoot.get(), &intake, &stoppedTarget);
    stopped.Stop();
    ASSERT_TRUE(stopped.Start({tree.Root()}));
    stopped.Wait();
    EXPECT_EQ(stoppedTarget.Statuses(), Strings{"Initialize..."});
    EXPECT_TRUE(catalogRoot->ChildFolders().empty()) << "not even the root's chain is made";
}

}  // namespace
}  // namespace twinseek
