// Ending a walk early, by Stop or by destroying the engine while it runs, and
// the counts of a walk that ran to its end.
#include "scan/ScanEngine.h"

#include "platform/DirectorySearch.h"
#include "tests/scan/ScanTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace twinseek {
namespace {

using Strings = std::vector<std::string>;

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
    ScanEngine engine(catalogRoot.get(), &intake, &target);
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
        ScanEngine engine(catalogRoot.get(), &intake, &target);
        ASSERT_TRUE(engine.Start({tree.Root()}));
        engine.Wait();
        EXPECT_EQ(engine.FilesFound(), size_t(kFiles + 10 * kSubfolders));
        EXPECT_EQ(engine.FoldersEntered(), uint32_t(1 + kSubfolders));
        EXPECT_EQ(target.Statuses().size(), size_t(2 + kSubfolders));
    }
    testing::RootPtr otherRoot = testing::MakeRoot();
    FileCatalog otherIntake;
    testing::RecordingTarget target;
    {
        ScanEngine engine(otherRoot.get(), &otherIntake, &target);
        ASSERT_TRUE(engine.Start({tree.Root()}));
        EXPECT_LE(engine.FilesFound(), size_t(kFiles + 10 * kSubfolders)) << "readable while the walk runs";
    }
    EXPECT_EQ(target.DoneCount(), 1);
    EXPECT_EQ(otherRoot->CountFiles(), otherIntake.Count());
}

}  // namespace
}  // namespace twinseek
