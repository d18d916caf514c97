// Putting a link to or a clone of a copy in a file's place in one rename, and
// the file left as it was when that cannot be done; the clone on a Btrfs image
// of the test's own (as root).
#include "platform/FileReplacement.h"
#include "platform/UniqueFd.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {
namespace {

using testing::ReadBytes;
using testing::TemporaryTree;
using testing::WriteBytes;

FileIdentity IdentityOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return {uint64_t(status.st_dev), uint64_t(status.st_ino)};
}

size_t EntriesIn(const std::string& folder) {
    size_t count = 0;
    if (DIR* directory = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(directory)) count += entry->d_name[0] != '.' || entry->d_name[1] > '.';
        closedir(directory);
    }
    return count;
}

TEST(FileReplacementTest, AHardLinkToACopyThatChangedOrLiesElsewhereLeavesTheFileAndNoTrace) {
    TemporaryTree tree;
    WriteBytes(tree.Path("file"), "bytes");
    WriteBytes(tree.Path("kept"), "bytes");
    UniqueFd folder(open(tree.Root().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const FolderEntry file{folder.Get(), "file", IdentityOf(tree.Path("file"))};
    const FileIdentity keptBefore = IdentityOf(tree.Path("kept"));
    // The copy that stays was replaced by another file since it was checked.
    WriteBytes(tree.Path("other"), "other");
    ASSERT_EQ(rename(tree.Path("other").c_str(), tree.Path("kept").c_str()), 0);
    const ReplacementOutcome refused = ReplaceWithHardLink(file, {folder.Get(), "kept", keptBefore});
    EXPECT_EQ(refused.error, ESTALE);
    EXPECT_EQ(IdentityOf(tree.Path("file")), file.identity);
    EXPECT_EQ(EntriesIn(tree.Root()), 2u) << "no temporary name is left behind";

    const ReplacementOutcome linked = ReplaceWithHardLink(file, {folder.Get(), "kept", IdentityOf(tree.Path("kept"))});
    EXPECT_EQ(linked.error, 0);
    EXPECT_EQ(IdentityOf(tree.Path("file")), IdentityOf(tree.Path("kept")));
    EXPECT_EQ(EntriesIn(tree.Root()), 2u);
}

// A small Btrfs file system mounted for one test, which can clone files.
class BtrfsImage {
public:
    BtrfsImage() {
        if (geteuid() != 0) {
            why = "needs root to mount a Btrfs image";
            return;
        }
        const std::string image = tree.Path("image");
        mountPoint = tree.Path("mnt");
        tree.Folder("mnt");
        const std::string make = "truncate -s 128M '" + image + "' && mkfs.btrfs -q '" + image + "' >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0) {
            why = "mkfs.btrfs is missing or failed";
            return;
        }
        if (std::system(("mount -o loop '" + image + "' '" + mountPoint + "' 2>/dev/null").c_str()) != 0) {
            why = "no loop device could mount the image";
            return;
        }
        mounted = true;
    }
    ~BtrfsImage() {
        if (mounted) umount2(mountPoint.c_str(), MNT_DETACH);
    }
    std::string Path(const std::string& name) const { return mountPoint + "/" + name; }

    TemporaryTree tree;
    std::string mountPoint;
    std::string why;
    bool mounted = false;
};

TEST(FileReplacementTest, CloneKeepsTheFilesModeAndTimesAndAHardLinkCannotLeaveItsFileSystem) {
    BtrfsImage btrfs;
    if (!btrfs.mounted) GTEST_SKIP() << btrfs.why;
    const std::string bytes(1 << 20, 'c');
    WriteBytes(btrfs.Path("kept"), bytes);
    WriteBytes(btrfs.Path("file"), bytes);
    ASSERT_EQ(chmod(btrfs.Path("file").c_str(), 0640), 0);
    const timespec times[2] = {{1500000000, 0}, {1500000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, btrfs.Path("file").c_str(), times, 0), 0);
    UniqueFd folder(open(btrfs.mountPoint.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const FolderEntry file{folder.Get(), "file", IdentityOf(btrfs.Path("file"))};
    const FolderEntry kept{folder.Get(), "kept", IdentityOf(btrfs.Path("kept"))};

    const ReplacementOutcome cloned = ReplaceWithClone(file, kept);
    ASSERT_EQ(cloned.error, 0) << cloned.reason;
    struct stat status {};
    ASSERT_EQ(stat(btrfs.Path("file").c_str(), &status), 0);
    EXPECT_NE(IdentityOf(btrfs.Path("file")), file.identity);
    EXPECT_NE(IdentityOf(btrfs.Path("file")), kept.identity) << "a clone is a file of its own";
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(status.st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(status.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(ReadBytes(btrfs.Path("file")), bytes);

    WriteBytes(btrfs.tree.Path("outside"), bytes);
    UniqueFd outsideFolder(open(btrfs.tree.Root().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const ReplacementOutcome linked =
        ReplaceWithHardLink({outsideFolder.Get(), "outside", IdentityOf(btrfs.tree.Path("outside"))}, kept);
    EXPECT_EQ(linked.error, EXDEV);
    EXPECT_EQ(linked.reason, "A hard link cannot reach a copy on another file system");
    EXPECT_EQ(ReadBytes(btrfs.tree.Path("outside")), bytes);
}

}  // namespace
}  // namespace twinseek
