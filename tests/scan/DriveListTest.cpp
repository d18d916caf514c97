// The folder tree's top-level items: which mounts of a mountinfo text become
// drive items, in which order, each once; and this machine's list.
#include "scan/DriveList.h"

#include "platform/HomeFolder.h"
#include "platform/MountTable.h"
#include "platform/PathProbe.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace twinseek {
namespace {

using Strings = std::vector<std::string>;

// As the kernel writes it: spaces in paths as \040, optional fields before "-".
constexpr const char* kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
    "27 1 254:0 / / rw shared:1 - ext4 /dev/vda rw\n"
    "30 27 8:17 / /media/ann/USB\\040STICK rw shared:5 master:2 - vfat /dev/sdb1 rw\n"
    "31 27 8:18 / /media/ann/USB rw - exfat /dev/sdb2 rw\n"
    "32 27 8:19 / /media/ann/USB/inner rw - ext4 /dev/sdb3 rw\n"
    "33 27 0:40 / /home/ann rw - btrfs /dev/sda2 rw\n"
    "34 27 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
    "35 27 8:2 / /boot rw - ext4 /dev/sda3 rw\n"
    "36 27 0:50 / /mnt/nas rw - nfs4 server:/export rw\n"
    "37 27 0:50 / /mnt/nas rw - nfs4 server:/export rw\n"
    "38 27 8:33 / /run/media/ann/Photos rw - ext4 /dev/sdd1 rw\n"
    "40 27 0:25 / /tmp rw - tmpfs tmpfs rw\n"
    "42 27 7:0 / /snap/core/100 ro - squashfs /dev/loop0 ro\n"
    "43 27 0:60 / /run/user/1000/doc rw - fuse.portal portal rw\n"
    "44 23 0:61 / /sys/kernel/newfs rw - newfs newfs rw\n"  // inside /sys, whatever its type
    "46 27 0:63 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n"
    "a line the kernel never writes\n"
    "48 27 0:64 / /mnt/no-separator rw ext4 /dev/sdc1 rw\n";

TEST(DriveListTest, RootThenHomeThenMountedForUsersThenOtherVolumesInPathOrderEachOnce) {
    std::vector<MountEntry> mounts = ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 18u) << "the two malformed lines are passed over";
    EXPECT_EQ(mounts[4].mountPoint, "/media/ann/USB STICK");
    EXPECT_EQ(mounts[4].fileSystemType, "vfat") << "optional fields do not shift the type";
    EXPECT_EQ(mounts[4].source, "/dev/sdb1");

    Strings volumes = {"/media/ann/USB", "/media/ann/USB/inner", "/media/ann/USB STICK", "/mnt/nas",
                       "/run/media/ann/Photos", "/boot", "/boot/efi", "/home/ann"};
    Strings withoutAnn(volumes.begin(), volumes.end() - 1);
    auto drives = [](Strings first, const Strings& rest) {
        first.insert(first.end(), rest.begin(), rest.end());
        return first;
    };
    struct Case {
        std::string home;
        Strings expected;
    } cases[] = {
        {"/home/ann", drives({"/", "/home/ann"}, withoutAnn)},  // a mounted volume too: listed once
        {"/home/bob", drives({"/", "/home/bob"}, volumes)},
        {"/", drives({"/"}, volumes)},  // root's home may be "/" itself
        {"", drives({"/"}, volumes)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.home);
        EXPECT_EQ(MakeDriveList(test.home, mounts), test.expected);
    }
}

TEST(DriveListTest, EscapesDecodeToTheirBytesAndAnIncompleteOneStandsForItself) {
    std::vector<MountEntry> mounts = ParseMountInfo(
        "1 1 0:1 / /a\\011tab\\012line\\134back\\040sp rw - ext4 /dev/x\\040y rw\n"
        "2 1 0:1 / /trailing\\13 rw - ext4 /dev/z rw");
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].mountPoint, "/a\ttab\nline\\back sp");
    EXPECT_EQ(mounts[0].source, "/dev/x y");
    EXPECT_EQ(mounts[1].mountPoint, "/trailing\\13");
}

TEST(DriveListTest, ThisMachineListsRootThenHomeAndNoPathTwice) {
    Strings drives = MountedDrives().Drives();
    std::string home = HomeFolder();
    EXPECT_EQ(drives[0], "/");
    if (home != "" && home != "/") {
        EXPECT_EQ(drives.at(1), home);
    }
    EXPECT_EQ(std::set<std::string>(drives.begin(), drives.end()).size(), drives.size());
    for (const std::string& drive : drives) EXPECT_EQ(DirectoryAccessError(drive), 0) << drive << " cannot be listed";
}

}  // namespace
}  // namespace twinseek
