// The scan engine walking real folders, the drives it starts from, and the folder
// tree model the wizard shows of them.
#include "scan/ScanEngine.h"

#include "platform/DirectorySearch.h"
#include "platform/MountTable.h"
#include "platform/PathProbe.h"
#include "scan/DirectoryEnumerator.h"
#include "scan/DriveList.h"
#include "scan/FolderTreeModel.h"
#include "scan/ScanStatusMailbox.h"
#include "tests/platform/BindMount.h"
#include "tests/scan/ScanTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace twinseek {
namespace {

using Strings = std::vector<std::string>;

class ScanEngineTest : public testing::ScanFixture {};

// Links are recorded as files the length of their target text and never
// followed, a FIFO is never opened, and names with line breaks (which could not
// be written as lines of a saved document) and folders it may not read are told
// as passed over rather than left out in silence.
TEST_F(ScanEngineTest, WalksDepthFirstRecordingEveryEntryAsItIsAndTellsWhatItPassesOver) {
    for (const char* folder : {"a", "a/b", ".config", "...", "nothing", "folder\nbreak", "locked"}) tree.Folder(folder);
    for (auto [file, size] : {std::pair{"a/one", 10}, {"a/b/two", 2000}, {".hidden", 4}, {"empty", 0}, {"Name", 1},
                              {"name", 2}, {".config/settings", 3}, {"two\nlines", 3}, {"carriage\rreturn", 3},
                              {"folder\nbreak/inner", 3}, {"locked/secret", 1}})
        tree.File(file, size);
    for (auto [link, target] : {std::pair{"a/loop", ".."}, {"alias", "a/one"}, {"toDir", "a"}, {"linked", "a"}})
        tree.Link(link, target);
    ASSERT_EQ(mkfifo(tree.Path("pipe").c_str(), 0644), 0);  // opening it would block
    ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0), 0);
    const bool lockBinds = access(tree.Path("locked").c_str(), R_OK) != 0;  // permissions do not bind root

    Strings statuses = Scan({tree.Root(), tree.Path("linked")});
    ASSERT_EQ(statuses.size(), 7u) << "every subfolder walked is announced, the roots are not";
    EXPECT_EQ(statuses[0], "Initialize...");
    EXPECT_EQ(std::ranges::find(statuses, tree.Path("a/b")), std::ranges::find(statuses, tree.Path("a")) + 1)
        << "a subfolder is walked as soon as it is met";
    for (const char* folder : {"nothing", "locked"})
        EXPECT_NE(std::ranges::find(statuses, tree.Path(folder)), statuses.end()) << folder;

    ASSERT_NE(FolderAt(tree.Root()), nullptr);
    // A root that is a link is not entered.
    EXPECT_EQ(testing::Listing(FolderAt(tree.Root())),
              std::string(".../\n.config/\n.config/settings 3\na/\na/b/\na/b/two 2000\na/loop link 2\na/one 10\n"
                          "linked/\nlocked/\n") +
                  (lockBinds ? "" : "locked/secret 1\n") +
                  "nothing/\n.hidden 4\nName 1\nalias link 5\nempty 0\nlinked link 1\nname 2\npipe 0\ntoDir link 1\n");
    EXPECT_TRUE(FolderAt(tree.Root())->FindFile(".hidden")->findData.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    FolderItem* b = FolderAt(tree.Path("a/b"));
    EXPECT_EQ(b->compareState, Provisional);
    EXPECT_EQ(b->FindFile("two")->GetFullPath(), tree.Path("a/b/two"));
    ASSERT_EQ(intake.Count(), lockBinds ? 12u : 13u);

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

TEST_F(ScanEngineTest, AnEngineStartsOnceAndOneStoppedBeforeItsStartWalksNothing) {
    EXPECT_EQ(Scan({}), Strings{"Initialize..."}) << "an empty root list only initializes";
    tree.File("file", 1);
    EXPECT_EQ(Scan({tree.Root()}, [](ScanEngine& engine, auto&) { engine.Stop(); }), Strings{"Initialize..."});
    EXPECT_TRUE(catalogRoot->ChildFolders().empty()) << "not even the root's chain is made";
}

// Ending a walk early, by Stop or by destroying a running engine, and the counts of a whole walk.
class ScanEngineStopTest : public testing::ScanFixture {
protected:
    // A large folder "big" of plain files with a few subfolders of ten files among them.
    ScanEngineStopTest() {
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
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++count;
        else if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0)
            break;
    }
    return count;
}

TEST_F(ScanEngineStopTest, StoppingWhileAFolderIsAnnouncedEndsBeforeItIsListed) {
    Strings statuses = Scan({tree.Path("big"), tree.Root()}, [](ScanEngine& engine, testing::RecordingTarget& target) {
        target.onStatus = [&engine](const std::string& text) {
            if (text != "Initialize...") engine.Stop();
        };
    });
    ASSERT_EQ(statuses.size(), 2u) << "nothing is announced after the stop";
    FolderItem* stoppedIn = FolderAt(statuses[1]);
    ASSERT_NE(stoppedIn, nullptr);
    EXPECT_TRUE(stoppedIn->Files().empty());
    EXPECT_EQ(intake.Count(), FilesBeforeFirstSubfolder(tree.Path("big")))
        << "the rest of the large folder and the second root are left";
}

TEST_F(ScanEngineStopTest, ACompleteWalkCountsEverythingAndDestroyingARunningEngineStillPostsDone) {
    EXPECT_EQ(Scan({tree.Root()}).size(), size_t(2 + kSubfolders));
    EXPECT_EQ(intake.Count(), size_t(kFiles + 10 * kSubfolders));
    EXPECT_EQ(lastFoldersEntered, uint32_t(1 + kSubfolders));

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
    EXPECT_EQ(target.doneCount, 1);
    EXPECT_EQ(otherRoot->CountFiles(), otherIntake.Count());
}

// The edges of joining names to their folder, which every scan test does, and
// of the search below it: only real directories are opened, and why one cannot be.
TEST(DirectoryEnumeratorTest, FullPathsNeedRoomForTheZeroAndOverlongPathsAndEndsOfAListingFindNothing) {
    testing::TemporaryTree tree;
    tree.Folder("target");
    tree.File("file", 3);
    tree.Link("toFolder", "target");
    DirectorySearch search;
    FindData data;
    EXPECT_FALSE(search.FindFirst(tree.Path("toFolder").c_str(), data)) << "a linked directory is not entered";
    EXPECT_FALSE(search.FindNext(data));
    const std::pair<const char*, int> cases[] = {{"target", 0}, {"file", ENOTDIR}, {"missing", ENOENT}, {"toFolder", ELOOP}};
    for (const auto& [path, error] : cases) EXPECT_EQ(DirectoryAccessError(tree.Path(path)), error) << path;

    DirectoryEnumerator enumerator;
    ASSERT_TRUE(enumerator.Open("/"));
    EXPECT_EQ(enumerator.RootDir(), "/");
    while (enumerator.IsDotsEntry()) ASSERT_TRUE(enumerator.Next());
    const std::string expected = std::string("/") + enumerator.Entry().cFileName;  // no second separator
    std::string buffer(expected.size() + 1, '#');
    EXPECT_FALSE(enumerator.FullPath(buffer.data(), expected.size())) << "no room for the zero";
    EXPECT_EQ(buffer, std::string(expected.size() + 1, '#')) << "left alone";
    ASSERT_TRUE(enumerator.FullPath(buffer.data(), buffer.size()));
    EXPECT_EQ(buffer.c_str(), expected);

    std::string overlong = tree.Root() + std::string(PATH_MAX, '/');
    EXPECT_FALSE(enumerator.Open(overlong.c_str())) << "refused before it is folded";
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_FALSE(enumerator.Found());

    tree.Folder("empty");
    ASSERT_TRUE(enumerator.Open(tree.Path("empty").c_str()));
    EXPECT_TRUE(enumerator.IsDotsEntry());
    EXPECT_TRUE(enumerator.Next());
    EXPECT_FALSE(enumerator.Next()) << "an empty folder holds only . and ..";
    EXPECT_FALSE(enumerator.Next());
    ASSERT_TRUE(enumerator.Open(tree.Root().c_str()));
    enumerator.Close();
    EXPECT_FALSE(enumerator.HasAttribute(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(enumerator.Next());
    char path[16] = "unchanged";
    EXPECT_FALSE(enumerator.FullPath(path, sizeof path));
    EXPECT_STREQ(path, "unchanged");
}

// Progress for a window that cannot keep up: woken once for what piles up, always for the end.
struct CountingMailbox : ScanStatusMailbox {
    std::atomic<int> wakes{0};
    void Wake() override { ++wakes; }
};

TEST(ScanStatusMailboxTest, WakesOnceUntilTakenAndCountsEveryMessageAlsoInAFlood) {
    CountingMailbox mailbox;
    mailbox.PostScanStatus("Initialize...");
    mailbox.PostScanStatus("/a");
    EXPECT_EQ(mailbox.wakes, 1);
    ScanStatusMailbox::Delivery first = mailbox.Take();
    EXPECT_EQ(first.statusMessages, 2u);
    EXPECT_EQ(first.latestText, "/a");
    EXPECT_FALSE(first.done);
    mailbox.PostScanStatus("/a/b");
    EXPECT_EQ(mailbox.wakes, 2);
    EXPECT_FALSE(mailbox.DonePending());
    mailbox.PostScanDone();
    EXPECT_EQ(mailbox.wakes, 3) << "the end wakes the window even with mail waiting";
    EXPECT_TRUE(mailbox.DonePending());
    ScanStatusMailbox::Delivery last = mailbox.Take();
    EXPECT_EQ(last.statusMessages, 1u);
    EXPECT_TRUE(last.done);

    // A flood from the scan thread loses no count.
    CountingMailbox flooded;
    constexpr uint32_t kFolders = 200000;
    std::thread scan([&] {
        for (uint32_t folder = 0; folder < kFolders; ++folder) flooded.PostScanStatus("/f" + std::to_string(folder));
        flooded.PostScanDone();
    });
    uint32_t counted = 0;
    std::string latest;
    for (bool done = false; !done;) {
        ScanStatusMailbox::Delivery delivery = flooded.Take();
        counted += delivery.statusMessages;
        if (delivery.statusMessages) latest = delivery.latestText;
        done = delivery.done;
        std::this_thread::yield();
    }
    scan.join();
    EXPECT_EQ(counted, kFolders);
    EXPECT_EQ(latest, "/f199999");
}

// How the walk meets what only Linux trees hold: bind mounts and paths longer than PATH_MAX.
class ScanEngineLinuxTest : public testing::ScanFixture {};

TEST_F(ScanEngineLinuxTest, WhatABindMountShowsAgainIsEnteredOnceAndAFileBoundOnItsOwnIsLinked) {
    if (geteuid() != 0) GTEST_SKIP() << "bind mounts need root; run as root to test them";
    for (const char* folder : {"data", "data/sub", "again"}) tree.Folder(folder);
    for (auto [file, size] : {std::pair{"data/f", 5}, {"data/sub/g", 6}, {"single", 7}, {"spot", 0}}) tree.File(file, size);
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

// Nests 200-character folders past PATH_MAX, each with "f" and a 200-character
// file; returns how many levels fit. The long-named file of the deepest does not.
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

// The folder tree without widgets: check states, their propagation and the
// collected roots over a listing in memory; and the drives it starts from.

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
    testing::FixedDrives drives;
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
