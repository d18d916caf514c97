// How the walk meets what only Linux trees hold: links, special files, bind
// mounts, folders it may not read and paths longer than PATH_MAX.
#include "scan/ScanEngine.h"

#include "tests/platform/BindMount.h"
#include "tests/scan/ScanTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinseek {
namespace {

using Strings = std::vector<std::string>;

class ScanEngineLinuxTest : public testing::ScanFixture {};

TEST_F(ScanEngineLinuxTest, LinksFifosLineBreaksAndUnreadableFoldersNeitherFollowedNorOpenedNorListed) {
    tree.Folder("dir");
    tree.File("dir/file", 12);
    tree.Link("dir/loop", "..");
    tree.Link("alias", "dir/file");
    tree.Link("toDir", "dir");
    tree.Link("linked", "dir");
    ASSERT_EQ(mkfifo(tree.Path("pipe").c_str(), 0644), 0);  // opening it would block
    // Names with line breaks could not be written as lines of a saved document.
    tree.File("two\nlines", 3);
    tree.File("carriage\rreturn", 3);
    tree.Folder("folder\nbreak");
    tree.File("folder\nbreak/inner", 3);
    tree.Folder("locked");
    tree.File("locked/secret", 1);
    ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0), 0);
    DIR* probe = opendir(tree.Path("locked").c_str());
    const bool lockBinds = probe == nullptr;  // permissions do not bind root
    if (probe) closedir(probe);

    Strings statuses = Scan({tree.Root(), tree.Path("linked")});
    ASSERT_FALSE(statuses.empty());
    std::sort(statuses.begin() + 1, statuses.end());  // subfolders come in listing order
    EXPECT_EQ(statuses, (Strings{"Initialize...", tree.Path("dir"), tree.Path("locked")}));
    ASSERT_NE(FolderAt(tree.Root()), nullptr);
    // A link is a file the length of its target text, and a root that is a link is not entered.
    EXPECT_EQ(testing::Listing(FolderAt(tree.Root())),
              std::string("dir/\ndir/file 12\ndir/loop link 2\nlinked/\nlocked/\n") +
                  (lockBinds ? "" : "locked/secret 1\n") + "alias link 8\nlinked link 3\npipe 0\ntoDir link 3\n");
    EXPECT_EQ(intake.Count(), lockBinds ? 6u : 7u);

    // Nothing is left out in silence: what was passed over is told, by cause.
    Strings lineBreaks = lastSkips.Examples(SkipCause::LineBreak);
    std::sort(lineBreaks.begin(), lineBreaks.end());
    EXPECT_EQ(lineBreaks,
              (Strings{tree.Path("carriage\rreturn"), tree.Path("folder\nbreak"), tree.Path("two\nlines")}));
    Strings unlistable = lastSkips.Examples(SkipCause::Unlistable);
    std::sort(unlistable.begin(), unlistable.end());
    Strings expectedUnlistable{tree.Path("linked")};
    if (lockBinds) expectedUnlistable.push_back(tree.Path("locked"));
    EXPECT_EQ(unlistable, expectedUnlistable) << "a root that is a link, a folder that may not be read";
    EXPECT_EQ(lastSkips.Total(), lockBinds ? 5u : 4u);
}

TEST_F(ScanEngineLinuxTest, WhatABindMountShowsAgainIsEnteredOnceAndAFileBoundOnItsOwnIsLinked) {
    if (geteuid() != 0) GTEST_SKIP() << "bind mounts need root; run as root to test them";
    tree.Folder("data");
    tree.Folder("data/sub");
    tree.File("data/f", 5);
    tree.File("data/sub/g", 6);
    tree.Folder("again");
    tree.File("single", 7);
    tree.File("spot", 0);
    testing::BindMount folder(tree.Path("data"), tree.Path("again"));
    testing::BindMount file(tree.Path("single"), tree.Path("spot"));
    if (!folder.Mounted() || !file.Mounted()) GTEST_SKIP() << "this system refuses bind mounts here";

    Strings statuses = Scan({tree.Root()});
    // Whichever of the two paths the listing gives first is entered.
    const bool dataFirst = !FolderAt(tree.Path("data"))->Files().empty();
    const std::string entered = tree.Path(dataFirst ? "data" : "again");
    const std::string other = tree.Path(dataFirst ? "again" : "data");
    EXPECT_EQ(statuses, (Strings{"Initialize...", entered, entered + "/sub"}));
    EXPECT_EQ(testing::Listing(FolderAt(other)), "") << "its record stays, with nothing inside";
    EXPECT_EQ(lastSkips.Examples(SkipCause::EnteredBefore), Strings{other});
    EXPECT_EQ(lastSkips.Total(), 1u);

    FileItem* single = FolderAt(tree.Root())->FindFile("single");
    FileItem* spot = FolderAt(tree.Root())->FindFile("spot");
    ASSERT_EQ(spot->Size(), 7u) << "seen through the mount";
    EXPECT_TRUE(links.FirstOf(single) == spot || links.FirstOf(spot) == single);
    EXPECT_EQ(links.ExtraCount(), 1u);
    EXPECT_EQ(intake.Count(), 4u) << "f, sub/g, single, spot";
}

// Nests folders with 200-character names past PATH_MAX, each holding a file
// "f" and a file with a 200-character name; returns how many levels have a
// full path that fits. The long-named file of the deepest of those does not.
size_t NestPastPathMax(const std::string& root) {
    const std::string name(200, 'd');
    const std::string longFile(200, 'e');
    const size_t fitting = (PATH_MAX - 1 - root.size()) / (name.size() + 1);
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (size_t level = 0; fd >= 0 && level < fitting + 2; ++level) {
        EXPECT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
        int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = child;
        for (const std::string& file : {std::string("f"), longFile}) {
            int made = openat(fd, file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            EXPECT_GE(made, 0);
            close(made);
        }
    }
    EXPECT_GE(fd, 0);
    close(fd);
    return fitting;
}

TEST_F(ScanEngineLinuxTest, AnEntryWhosePathExceedsPathMaxIsNeitherAnnouncedNorRecordedButCounted) {
    size_t fitting = NestPastPathMax(tree.Root());
    Strings statuses = Scan({tree.Root()});
    EXPECT_EQ(statuses.size(), 1 + fitting);
    EXPECT_EQ(intake.Count(), 2 * fitting - 1) << "the files of every folder that fits, where their path fits";
    EXPECT_EQ(lastSkips.Count(SkipCause::PathTooLong), 2u) << "the deepest long-named file and the folder below";
    EXPECT_EQ(lastSkips.Total(), 2u);

    FolderItem* deepest = FolderAt(tree.Root());
    for (size_t level = 0; deepest && level < fitting; ++level) deepest = deepest->FindFolder(std::string(200, 'd'));
    ASSERT_NE(deepest, nullptr);
    EXPECT_LT(deepest->GetFullPath().size(), size_t(PATH_MAX));
    EXPECT_EQ(deepest->GetFullPath(), statuses.back());
    EXPECT_NE(deepest->FindFile("f"), nullptr);
    EXPECT_TRUE(deepest->ChildFolders().empty());
}

}  // namespace
}  // namespace twinseek
