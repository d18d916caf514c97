// The folder tree without widgets: check states, their propagation and the
// collected roots over a listing in memory; and the drives it starts from.
#include "scan/FolderTreeModel.h"

#include "platform/MountTable.h"
#include "platform/PathProbe.h"
#include "scan/DriveList.h"
#include "tests/scan/ScanTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

namespace twinseek {
namespace {

using Strings = std::vector<std::string>;
using testing::FixedDrives;

// Folders by path, their entries written "name" or "name/" for a folder; a path
// not in the map cannot be listed. Names starting with a dot are hidden.
class FakeListing : public DirectoryListing {
public:
    std::map<std::string, std::string> folders;

    bool List(const std::string& path, const Visitor& visit) const override {
        if (!folders.contains(path)) return false;
        std::istringstream entries(folders.at(path));
        for (std::string name; entries >> name;) {
            bool isFolder = name.ends_with('/');
            if (isFolder) name.pop_back();
            if (!visit({name, isFolder, name[0] == '.'})) break;
        }
        return true;
    }
};

// Preorder "text+" (ticked), "text~" (partly) or "text-" of every loaded item.
std::string States(const FolderNode& parent) {
    std::string text;
    for (int row = 0; row < parent.ChildCount(); ++row)
        text += " " + parent.Child(row).Text() + "-~+"[int(parent.Child(row).State())] + States(parent.Child(row));
    return text;
}

// The item reached from the top through the texts in path (space separated), opening each on the way.
FolderNode& At(FolderTreeModel& model, const std::string& path) {
    FolderNode* node = &model.Root();
    std::istringstream texts(path);
    for (std::string text; texts >> text;) {
        model.Expand(*node);
        int row = 0;
        while (row < node->ChildCount() && node->Child(row).Text() != text) ++row;
        if (row == node->ChildCount()) throw std::runtime_error("no item " + text);
        node = &node->Child(row);
    }
    return *node;
}

class FolderTreeModelTest : public ::testing::Test {
protected:
    FolderTreeModelTest() {
        listing.folders = {{"/", "usr/ home/ swap"}, {"/usr", "bin/ README lib/"},
                           {"/usr/bin", "ls cp"},    {"/usr/lib", "x"},
                           {"/home", "ann/"},        {"/home/ann", "notes"}};
        drives.drives = {"/", "/home/ann"};
        model.LoadDrives();
        model.Expand(At(model, "/ usr bin"));
        At(model, "/ home ann");
    }
    void Click(const Strings& clicks) {
        model.ClearAll();
        for (const std::string& click : clicks) model.ToggleCheck(At(model, click));
    }

    FakeListing listing;
    FixedDrives drives;
    FolderTreeModel model{listing, drives};
};

constexpr const char* kAllCleared = " /- home- ann- usr- bin- cp- ls- lib- README- swap- /home/ann-";

TEST_F(FolderTreeModelTest, ClicksPropagateBothWaysAndTickedItemsAreCollectedInDisplayOrderWithoutDescending) {
    struct Case {
        const char* what;
        Strings clicks;
        const char* states;
        Strings collected;
    } cases[] = {
        {"a ticked folder ticks what is loaded below it; its ancestors are partly ticked",
         {"/ usr bin"},
         " /~ home- ann- usr~ bin+ cp+ ls+ lib- README- swap- /home/ann-",
         {"/usr/bin"}},
        {"the last unticked child ticks its parent, and so on up; a drive is collected alone",
         {"/ usr bin", "/ usr lib", "/ usr README", "/ home ann", "/ swap"},
         " /+ home+ ann+ usr+ bin+ cp+ ls+ lib+ README+ swap+ /home/ann-",
         {"/"}},
        {"one cleared child makes every ancestor partly ticked; ticked files are collected like folders",
         {"/", "/ usr bin ls"},
         " /~ home+ ann+ usr~ bin~ cp+ ls- lib+ README+ swap+ /home/ann-",
         {"/home", "/usr/bin/cp", "/usr/lib", "/usr/README", "/swap"}},
        {"a partly ticked item clicked clears its whole subtree",
         {"/", "/ usr bin ls", "/ usr"},
         " /~ home+ ann+ usr- bin- cp- ls- lib- README- swap+ /home/ann-",
         {"/home", "/swap"}},
        {"a partly ticked drive clicked clears everything under it", {"/ usr bin ls", "/"}, kAllCleared, {}},
        {"clearing the only ticked item clears its ancestors again", {"/ home ann", "/ home ann"}, kAllCleared, {}},
        {"drive items are ticked on their own even where their paths nest; an unopened folder is collected",
         {"/home/ann", "/ usr lib"},
         " /~ home- ann- usr~ bin- cp- ls- lib+ README- swap- /home/ann+",
         {"/usr/lib", "/home/ann"}},
        {"nested drive items are both collected", {"/", "/home/ann"},
         " /+ home+ ann+ usr+ bin+ cp+ ls+ lib+ README+ swap+ /home/ann+", {"/", "/home/ann"}},
    };
    for (const Case& test : cases) {
        Click(test.clicks);
        EXPECT_EQ(States(model.Root()), test.states) << test.what;
        EXPECT_EQ(model.CollectChecked(), test.collected) << test.what;
    }
    model.SelectAll();
    EXPECT_EQ(States(model.Root()), " /+ home+ ann+ usr+ bin+ cp+ ls+ lib+ README+ swap+ /home/ann+");
    model.ClearAll();
    EXPECT_EQ(States(model.Root()), kAllCleared);
}

// Which mounts become drive items, in which order, each once; and this machine's list.
// As the kernel writes it: spaces in paths as \040, optional fields before "-".
constexpr const char* kMountInfo =
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
    "44 23 0:61 / /sys/kernel/newfs rw - newfs newfs rw\n"  // inside /sys, whatever its type
    "a line the kernel never writes\n"
    "48 27 0:64 / /mnt/no-separator rw ext4 /dev/sdc1 rw\n"
    // Escapes decode to their bytes and an incomplete one stands for itself (these two
    // lie inside /dev, so they are no drives); the last line has no line end.
    "49 24 0:1 / /dev/a\\011tab\\012line\\134back\\040sp rw - ext4 /dev/x\\040y rw\n"
    "50 24 0:1 / /dev/trailing\\13 rw - ext4 /dev/z rw";

TEST(DriveListTest, RootThenHomeThenMountedForUsersThenOtherVolumesInPathOrderEachOnce) {
    std::vector<MountEntry> mounts = ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 15u) << "the two malformed lines are passed over";
    EXPECT_EQ(mounts[2].mountPoint, "/media/ann/USB STICK");
    EXPECT_EQ(mounts[2].fileSystemType, "vfat") << "optional fields do not shift the type";
    EXPECT_EQ(mounts[2].source, "/dev/sdb1");
    EXPECT_EQ(mounts[13].mountPoint, "/dev/a\ttab\nline\\back sp");
    EXPECT_EQ(mounts[13].source, "/dev/x y");
    EXPECT_EQ(mounts[14].mountPoint, "/dev/trailing\\13");

    Strings volumes = {"/media/ann/USB", "/media/ann/USB/inner", "/media/ann/USB STICK", "/mnt/nas",
                       "/run/media/ann/Photos", "/boot", "/boot/efi", "/home/ann"};
    // Root, then the home folder, then the volumes in order, a mounted home (or
    // root's home, "/") listed once.
    for (const std::string home : {"/home/ann", "/home/bob", "/", ""}) {
        SCOPED_TRACE(home);
        Strings expected{"/"};
        if (home.size() > 1) expected.push_back(home);
        std::ranges::copy_if(volumes, std::back_inserter(expected), [&](const std::string& v) { return v != home; });
        EXPECT_EQ(MakeDriveList(home, mounts), expected);
    }

    // This machine's list: root first, each path once, and every one can be listed.
    Strings here = MountedDrives().Drives();
    EXPECT_EQ(here.at(0), "/");
    EXPECT_EQ(std::set<std::string>(here.begin(), here.end()).size(), here.size());
    for (const std::string& drive : here) EXPECT_EQ(DirectoryAccessError(drive), 0) << drive << " cannot be listed";
}

}  // namespace
}  // namespace twinseek
