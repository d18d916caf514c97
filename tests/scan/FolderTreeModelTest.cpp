// The folder tree's rules without widgets: lazy children, hidden entries, the
// three check states with their propagation, the collected roots and the
// notices a view follows, over a listing held in memory and one real tree.
#include "scan/FolderTreeModel.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace twinseek {
namespace {

using Strings = std::vector<std::string>;

struct FakeEntry {
    std::string name;
    bool isFolder;
};

// Folders by path; a path not in the map cannot be listed. Names starting
// with a dot are hidden, as on the real file system.
class FakeListing : public DirectoryListing {
public:
    std::map<std::string, std::vector<FakeEntry>> folders;
    mutable std::map<std::string, int> listed;

    bool List(const std::string& path, const Visitor& visit) const override {
        ++listed[path];
        auto found = folders.find(path);
        if (found == folders.end()) return false;
        for (const FakeEntry& entry : found->second)
            if (!visit({entry.name, entry.isFolder, entry.name[0] == '.'})) break;
        return true;
    }
};

class FixedDrives : public DriveSource {
public:
    Strings drives;
    Strings Drives() const override { return drives; }
};

// Preorder "text+" (ticked), "text~" (partly) or "text-" of every loaded item.
std::string States(const FolderNode& parent) {
    std::string text;
    for (int row = 0; row < parent.ChildCount(); ++row) {
        const FolderNode& child = parent.Child(row);
        text += " " + child.Text() + "-~+"[int(child.State())] + States(child);
    }
    return text;
}

// The item reached from the top level through texts, opening each on the way.
FolderNode& At(FolderTreeModel& model, const Strings& texts) {
    FolderNode* node = &model.Root();
    for (const std::string& text : texts) {
        model.Expand(*node);
        FolderNode* next = nullptr;
        for (int row = 0; row < node->ChildCount() && !next; ++row)
            if (node->Child(row).Text() == text) next = &node->Child(row);
        if (!next) throw std::runtime_error("no item " + text);
        node = next;
    }
    return *node;
}

class FolderTreeModelTest : public ::testing::Test {
protected:
    FolderTreeModelTest() {
        listing.folders = {
            {"/", {{"usr", true}, {"home", true}, {"swap", false}}},
            {"/usr", {{"bin", true}, {"README", false}, {"lib", true}}},
            {"/usr/bin", {{"ls", false}, {"cp", false}}},
            {"/usr/lib", {{"x", false}}},
            {"/home", {{"ann", true}}},
            {"/home/ann", {{"notes", false}}},
        };
        drives.drives = {"/", "/home/ann"};
        model.LoadDrives();
        model.Expand(At(model, {"/", "usr", "bin"}));
        At(model, {"/", "home", "ann"});
    }

    FakeListing listing;
    FixedDrives drives;
    FolderTreeModel model{listing, drives};
};

constexpr const char* kAllCleared = " /- usr- bin- ls- cp- lib- README- home- ann- swap- /home/ann-";

TEST_F(FolderTreeModelTest, ClicksPropagateDownThroughLoadedItemsAndUpThroughEveryAncestor) {
    struct Case {
        const char* what;
        std::vector<Strings> clicks;
        const char* states;
    } cases[] = {
        {"a ticked folder ticks what is loaded below it; its ancestors are partly ticked",
         {{"/", "usr", "bin"}},
         " /~ usr~ bin+ ls+ cp+ lib- README- home- ann- swap- /home/ann-"},
        {"the last unticked child ticks its parent, and so on up",
         {{"/", "usr", "bin"}, {"/", "usr", "lib"}, {"/", "usr", "README"}, {"/", "home", "ann"}, {"/", "swap"}},
         " /+ usr+ bin+ ls+ cp+ lib+ README+ home+ ann+ swap+ /home/ann-"},
        {"one cleared child makes every ancestor partly ticked",
         {{"/"}, {"/", "usr", "bin", "ls"}},
         " /~ usr~ bin~ ls- cp+ lib+ README+ home+ ann+ swap+ /home/ann-"},
        {"a partly ticked item clicked clears its whole subtree",
         {{"/"}, {"/", "usr", "bin", "ls"}, {"/", "usr"}},
         " /~ usr- bin- ls- cp- lib- README- home+ ann+ swap+ /home/ann-"},
        {"a partly ticked drive clicked clears everything under it", {{"/", "usr", "bin", "ls"}, {"/"}}, kAllCleared},
        {"clearing the only ticked item clears its ancestors again",
         {{"/", "home", "ann"}, {"/", "home", "ann"}},
         kAllCleared},
        {"drive items are ticked on their own even where their paths nest",
         {{"/home/ann"}},
         " /- usr- bin- ls- cp- lib- README- home- ann- swap- /home/ann+"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        model.ClearAll();
        for (const Strings& click : test.clicks) model.ToggleCheck(At(model, click));
        EXPECT_EQ(States(model.Root()), test.states);
    }
}

TEST_F(FolderTreeModelTest, CollectsTickedItemsInDisplayOrderWithoutDescendingBelowThem) {
    struct Case {
        const char* what;
        std::vector<Strings> clicks;
        Strings collected;
    } cases[] = {
        {"an unopened folder and a later drive, in display order not click order",
         {{"/home/ann"}, {"/", "usr", "lib"}},
         {"/usr/lib", "/home/ann"}},
        {"a drive whose children are all ticked is collected alone",
         {{"/", "usr"}, {"/", "home"}, {"/", "swap"}},
         {"/"}},
        {"partly ticked items are entered; ticked files are collected like folders",
         {{"/"}, {"/", "usr", "bin", "ls"}},
         {"/usr/bin/cp", "/usr/lib", "/usr/README", "/home", "/swap"}},
        {"nested drive items are both collected", {{"/"}, {"/home/ann"}}, {"/", "/home/ann"}},
        {"nothing ticked", {}, {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        model.ClearAll();
        for (const Strings& click : test.clicks) model.ToggleCheck(At(model, click));
        EXPECT_EQ(model.CollectChecked(), test.collected);
    }
    model.SelectAll();
    EXPECT_EQ(States(model.Root()), " /+ usr+ bin+ ls+ cp+ lib+ README+ home+ ann+ swap+ /home/ann+");
    model.ClearAll();
    EXPECT_EQ(States(model.Root()), kAllCleared);
}

TEST_F(FolderTreeModelTest, ChildrenLoadOnFirstExpansionOnlyTickedUnderATickedFolder) {
    model.ToggleCheck(At(model, {"/", "usr", "lib"}));
    model.Expand(At(model, {"/", "usr", "lib"}));
    model.Expand(At(model, {"/home/ann"}));
    EXPECT_EQ(States(At(model, {"/", "usr"})), " bin- ls- cp- lib+ x+ README-");
    EXPECT_EQ(States(At(model, {"/home/ann"})), " notes-");

    listing.folders["/usr/lib"].push_back({"y", false});
    model.Expand(At(model, {"/", "usr", "lib"}));
    EXPECT_EQ(States(At(model, {"/", "usr", "lib"})), " x+") << "an opened folder is not read again";
    EXPECT_EQ(listing.listed["/usr/lib"], 2) << "once for its expand button, once for its children";
}

TEST(FolderTreeListingTest, HiddenFilesLeftOutFoldersFirstInListingOrderAndButtonsOnlyWhereSomethingShows) {
    FakeListing listing;
    listing.folders = {
        {"/d",
         {{".profile", false},
          {"zeta", true},
          {"b.txt", false},
          {".config", true},
          {"a.txt", false},
          {"alpha", true},
          {"locked", true}}},
        {"/d/zeta", {{".hidden-file", false}}},
        {"/d/.config", {{".hidden-folder", true}}},
        {"/d/alpha", {{"file", false}}},
    };
    FixedDrives drives;
    drives.drives = {"/d", "/unreadable"};
    FolderTreeModel model(listing, drives);
    model.LoadDrives();
    FolderNode& unreadable = At(model, {"/unreadable"});
    model.Expand(unreadable);
    EXPECT_FALSE(unreadable.HasChildren());
    EXPECT_EQ(unreadable.ChildCount(), 0);

    FolderNode& folder = At(model, {"/d"});
    EXPECT_TRUE(folder.HasChildren());
    model.Expand(folder);
    std::string shown;
    for (int row = 0; row < folder.ChildCount(); ++row) {
        const FolderNode& child = folder.Child(row);
        shown += " " + child.Text() + (child.HasChildren() ? "[+]" : "") + (child.IsFolder() ? "/" : "");
    }
    // Only hidden files inside: no button. A hidden folder inside: a button. Unreadable: none.
    EXPECT_EQ(shown, " zeta/ .config[+]/ alpha[+]/ locked/ b.txt a.txt");
    model.Expand(At(model, {"/d", "locked"}));
    EXPECT_EQ(At(model, {"/d", "locked"}).ChildCount(), 0);
}

TEST(FolderTreeListingTest, RealFolderListsEntriesOfEachKindAndAFolderGoneSinceShowsNothing) {
    testing::TemporaryTree tree;
    tree.Folder("full");
    tree.File("full/data", 5);
    tree.Folder(".cache");
    tree.Folder("only-hidden");
    tree.File("only-hidden/.rc");
    tree.File(".dotfile");
    tree.File("visible");
    tree.Link("link-to-folder", "full");
    FileSystemListing listing;
    FixedDrives drives;
    drives.drives = {tree.Root()};
    FolderTreeModel model(listing, drives);
    model.LoadDrives();
    FolderNode& top = At(model, {tree.Root()});
    model.Expand(top);

    std::map<std::string, std::string> shown;  // name: folder/file, with or without a button
    for (int row = 0; row < top.ChildCount(); ++row) {
        const FolderNode& child = top.Child(row);
        shown[child.Text()] = std::string(child.IsFolder() ? "folder" : "file") + (child.HasChildren() ? "+" : "");
        if (row > 0) {
            EXPECT_FALSE(child.IsFolder() && !top.Child(row - 1).IsFolder()) << "folders come first";
        }
    }
    std::map<std::string, std::string> expected = {{"full", "folder+"},
                                                   {".cache", "folder"},
                                                   {"only-hidden", "folder"},
                                                   {"visible", "file"},
                                                   {"link-to-folder", "file"}};
    EXPECT_EQ(shown, expected);

    ASSERT_EQ(unlink(tree.Path("full/data").c_str()), 0);
    ASSERT_EQ(rmdir(tree.Path("full").c_str()), 0);
    model.ToggleCheck(At(model, {tree.Root(), "full"}));
    model.Expand(At(model, {tree.Root(), "full"}));
    EXPECT_EQ(At(model, {tree.Root(), "full"}).ChildCount(), 0);
    EXPECT_EQ(model.CollectChecked(), Strings{tree.Path("full")});
}

class RecordingObserver : public FolderTreeObserver {
public:
    Strings notices;
    void TreeAboutToBeReset() override { notices.push_back("reset?"); }
    void TreeReset() override { notices.push_back("reset"); }
    void ChildrenAboutToBeInserted(const FolderNode& parent, int first, int count) override {
        notices.push_back(Describe("insert?", parent, first, count) + " had " + std::to_string(parent.ChildCount()));
    }
    void ChildrenInserted(const FolderNode& parent, int first, int count) override {
        notices.push_back(Describe("inserted", parent, first, count) + " has " + std::to_string(parent.ChildCount()));
    }
    void CheckStatesChanged(const FolderNode& parent, int first, int last) override {
        notices.push_back(Describe("states", parent, first, last));
    }
    static std::string Describe(const char* what, const FolderNode& parent, int a, int b) {
        std::string name = parent.Parent() ? parent.Text() : "top";
        return std::string(what) + " " + name + " " + std::to_string(a) + " " + std::to_string(b);
    }
};

TEST_F(FolderTreeModelTest, ObserverFollowsInsertionsAndStateChangesByRowRanges) {
    RecordingObserver observer;
    model.SetObserver(&observer);
    model.Expand(At(model, {"/", "usr", "lib"}));
    model.ToggleCheck(At(model, {"/", "usr", "bin"}));
    model.SelectAll();
    EXPECT_EQ(observer.notices, (Strings{
                                    "insert? lib 0 1 had 0",
                                    "inserted lib 0 1 has 1",
                                    "states usr 0 0",
                                    "states bin 0 1",
                                    "states / 0 0",
                                    "states top 0 0",
                                    "states top 0 1",
                                    "states / 0 2",
                                    "states usr 1 2",
                                    "states lib 0 0",
                                    "states home 0 0",
                                }));
    observer.notices.clear();
    model.LoadDrives();
    EXPECT_EQ(observer.notices, (Strings{"reset?", "reset"}));
    EXPECT_EQ(States(model.Root()), " /- /home/ann-");
}

}  // namespace
}  // namespace twinseek
