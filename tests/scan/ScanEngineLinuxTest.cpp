// How the walk meets what only Linux trees hold: links, special files, pseudo
// file systems, folders it may not read and paths longer than PATH_MAX.
#include "scan/ScanEngine.h"

#include "tests/scan/ScanTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
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
}

TEST_F(ScanEngineLinuxTest, ASubfolderThatVanishesBeforeItIsOpenedKeepsAnEmptyRecord) {
    testing::TemporaryTree outside;
    tree.Folder("gone");
    tree.File("gone/inside", 1);
    tree.File("stays", 2);
    testing::RecordingTarget target;
    // The folder is announced before it is opened: take it away in between.
    target.onStatus = [&](const std::string& text) {
        if (text == tree.Path("gone")) {
            EXPECT_EQ(std::rename(text.c_str(), outside.Path("gone").c_str()), 0);
        }
    };
    {
        ScanEngine engine(catalogRoot.get(), &intake, &target);
        ASSERT_TRUE(engine.Start({tree.Root()}));
        ASSERT_TRUE(target.WaitForDone());
    }
    EXPECT_EQ(target.Statuses(), (Strings{"Initialize...", tree.Path("gone")}));
    EXPECT_EQ(testing::Listing(FolderAt(tree.Root())), "gone/\nstays 2\n");
    EXPECT_EQ(FolderAt(tree.Path("gone"))->findData.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(intake.Count(), 1u) << "the walk goes on in the parent";
}

TEST_F(ScanEngineLinuxTest, PseudoFileSystemsAreNotListed) {
    struct statfs fileSystem {};
    if (statfs("/proc", &fileSystem) != 0 || fileSystem.f_type != 0x9fa0) GTEST_SKIP() << "/proc is not mounted";
    Strings statuses = Scan({"/proc", "/proc/sys/"});
    EXPECT_EQ(statuses, Strings{"Initialize..."});
    ASSERT_NE(FolderAt("/proc"), nullptr);
    EXPECT_EQ(testing::Listing(FolderAt("/proc")), "sys/\n");
    EXPECT_EQ(intake.Count(), 0u);
}

// Nests folders with 200-character names past PATH_MAX, each holding a file "f";
// returns how many levels have a full path that fits.
size_t NestPastPathMax(const std::string& root) {
    const std::string name(200, 'd');
    const size_t fitting = (PATH_MAX - 1 - root.size()) / (name.size() + 1);
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (size_t level = 0; fd >= 0 && level < fitting + 2; ++level) {
        EXPECT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
        int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = child;
        int file = openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        EXPECT_GE(file, 0);
        close(file);
    }
    EXPECT_GE(fd, 0);
    close(fd);
    return fitting;
}

TEST_F(ScanEngineLinuxTest, AFolderWhosePathExceedsPathMaxIsNeitherAnnouncedNorRecorded) {
    size_t fitting = NestPastPathMax(tree.Root());
    Strings statuses = Scan({tree.Root()});
    EXPECT_EQ(statuses.size(), 1 + fitting);
    EXPECT_EQ(intake.Count(), fitting) << "the files of every folder that fits";

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
