// The folder tree's rules without widgets: lazy children, hidden entries, the
// three check states with their propagation, the collected roots and the
// notices a view follows, over a listing held in memory and one real tree.
#include "scan/FolderTreeModel.h"

#include "tests/scan/ScanTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace twinseek {
namespace {

using Strings = std::vector<std::string>;
using testing::FixedDrives;

// Folders by path, their entries written "name" or "name/" for a folder; a path
// not in the map cannot be listed. Names starting with a dot are hidden.
class FakeListing : public DirectoryListing {
public:
    std::map<std::string, std::string> folders;
    mutable std::map<std::string, int> listed;

    bool List(const std::string& path, const Visitor& visit) const override {
        ++listed[path];
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

TEST_F(FolderTreeModelTest, ClicksPropagateDownThroughLoadedItemsAndUpThroughEveryAncestor) {
    struct Case {
        const char* what;
        Strings clicks;
        const char* states;
    } cases[] = {
        {"a ticked folder ticks what is loaded below it; its ancestors are partly ticked",
         {"/ usr bin"},
         " /~ home- ann- usr~ bin+ cp+ ls+ lib- README- swap- /home/ann-"},
        {"the last unticked child ticks its parent, and so on up",
         {"/ usr bin", "/ usr lib", "/ usr README", "/ home ann", "/ swap"},
         " /+ home+ ann+ usr+ bin+ cp+ ls+ lib+ README+ swap+ /home/ann-"},
        {"one cleared child makes every ancestor partly ticked",
         {"/", "/ usr bin ls"},
         " /~ home+ ann+ usr~ bin~ cp+ ls- lib+ README+ swap+ /home/ann-"},
        {"a partly ticked item clicked clears its whole subtree",
         {"/", "/ usr bin ls", "/ usr"},
         " /~ home+ ann+ usr- bin- cp- ls- lib- README- swap+ /home/ann-"},
        {"a partly ticked drive clicked clears everything under it", {"/ usr bin ls", "/"}, kAllCleared},
        {"clearing the only ticked item clears its ancestors again", {"/ home ann", "/ home ann"}, kAllCleared},
        {"drive items are ticked on their own even where their paths nest",
         {"/home/ann"},
         " /- home- ann- usr- bin- cp- ls- lib- README- swap- /home/ann+"},
    };
    for (const Case& test : cases) {
        Click(test.clicks);
        EXPECT_EQ(States(model.Root()), test.states) << test.what;
    }
}

TEST_F(FolderTreeModelTest, CollectsTickedItemsInDisplayOrderWithoutDescendingBelowThem) {
    struct Case {
        const char* what;
        Strings clicks;
        Strings collected;
    } cases[] = {
        {"an unopened folder and a later drive, in display order",
         {"/home/ann", "/ usr lib"},
         {"/usr/lib", "/home/ann"}},
        {"a drive whose children are all ticked is collected alone", {"/ usr", "/ home", "/ swap"}, {"/"}},
        {"partly ticked items are entered; ticked files are collected like folders",
         {"/", "/ usr bin ls"},
         {"/home", "/usr/bin/cp", "/usr/lib", "/usr/README", "/swap"}},
        {"nested drive items are both collected", {"/", "/home/ann"}, {"/", "/home/ann"}},
        {"nothing ticked", {}, {}},
    };
    for (const Case& test : cases) {
        Click(test.clicks);
        EXPECT_EQ(model.CollectChecked(), test.collected) << test.what;
    }
    model.SelectAll();
    EXPECT_EQ(States(model.Root()), " /+ home+ ann+ usr+ bin+ cp+ ls+ lib+ README+ swap+ /home/ann+");
    model.ClearAll();
    EXPECT_EQ(States(model.Root()), kAllCleared);
}

TEST_F(FolderTreeModelTest, ChildrenLoadOnFirstExpansionOnlyTickedUnderATickedFolder) {
    Click({"/ usr lib"});
    model.Expand(At(model, "/ usr lib"));
    model.Expand(At(model, "/home/ann"));
    EXPECT_EQ(States(At(model, "/ usr")), " bin- cp- ls- lib+ x+ README-");
    EXPECT_EQ(States(At(model, "/home/ann")), " notes-");

    listing.folders["/usr/lib"] += " y";
    model.Expand(At(model, "/ usr lib"));
    EXPECT_EQ(States(At(model, "/ usr lib")), " x+") << "an opened folder is not read again";
    EXPECT_EQ(listing.listed["/usr/lib"], 2) << "once for its expand button, once for its children";
}

TEST(FolderTreeListingTest, HiddenFilesLeftOutFoldersFirstEachByNameAndButtonsOnlyWhereSomethingShows) {
    FakeListing listing;
    listing.folders = {{"/d", ".profile zeta/ b.txt .config/ a.txt alpha/ locked/"},
                       {"/d/zeta", ".hidden-file"},
                       {"/d/.config", ".hidden-folder/"},
                       {"/d/alpha", "file"}};
    FixedDrives drives;
    drives.drives = {"/d", "/unreadable"};
    FolderTreeModel model(listing, drives);
    model.LoadDrives();
    std::string shown;
    for (const char* path : {"/d", "/unreadable", "/d zeta", "/d .config", "/d alpha", "/d locked", "/d b.txt"}) {
        FolderNode& node = At(model, path);
        shown += " " + node.Text() + (node.IsFolder() ? "/" : "") + (node.HasChildren() ? "+" : "");
    }
    // Only hidden files inside: no button. A hidden folder inside: a button. Unreadable: none.
    EXPECT_EQ(shown, " /d/+ /unreadable/ zeta/ .config/+ alpha/+ locked/ b.txt");
    model.Expand(At(model, "/unreadable"));
    model.Expand(At(model, "/d locked"));
    EXPECT_EQ(States(model.Root()), " /d- .config- alpha- locked- zeta- a.txt- b.txt- /unreadable-");
}

TEST(FolderTreeListingTest, RealFolderListsEntriesOfEachKindAndAFolderGoneSinceShowsNothing) {
    testing::TemporaryTree tree;
    for (const char* folder : {"full", ".cache", "only-hidden"}) tree.Folder(folder);
    for (const char* file : {"full/data", "only-hidden/.rc", ".dotfile", "visible"}) tree.File(file);
    tree.Link("link-to-folder", "full");
    FileSystemListing listing;
    FixedDrives drives;
    drives.drives = {tree.Root()};
    FolderTreeModel model(listing, drives);
    model.LoadDrives();
    FolderNode& top = At(model, tree.Root());
    model.Expand(top);

    // Folders, then files, each by name rather than in the file system's hash order.
    Strings shown;
    for (int row = 0; row < top.ChildCount(); ++row) {
        const FolderNode& child = top.Child(row);
        shown.push_back(child.Text() + (child.IsFolder() ? "/" : "") + (child.HasChildren() ? "+" : ""));
    }
    EXPECT_EQ(shown, (Strings{".cache/", "full/+", "only-hidden/", "link-to-folder", "visible"}));

    ASSERT_EQ(unlink(tree.Path("full/data").c_str()), 0);
    ASSERT_EQ(rmdir(tree.Path("full").c_str()), 0);
    model.ToggleCheck(At(model, tree.Root() + " full"));
    model.Expand(At(model, tree.Root() + " full"));
    EXPECT_EQ(At(model, tree.Root() + " full").ChildCount(), 0);
    EXPECT_EQ(model.CollectChecked(), Strings{tree.Path("full")});
}

struct RecordingObserver : FolderTreeObserver {
    Strings notices;
    void Note(const char* what, const FolderNode& parent, int a, int b) {
        notices.push_back(std::string(what) + " " + (parent.Parent() ? parent.Text() : "top") + " " +
                          std::to_string(a) + " " + std::to_string(b) + " of " + std::to_string(parent.ChildCount()));
    }
    void TreeAboutToBeReset() override { notices.push_back("reset?"); }
    void TreeReset() override { notices.push_back("reset"); }
    void ChildrenAboutToBeInserted(const FolderNode& p, int a, int b) override { Note("insert?", p, a, b); }
    void ChildrenInserted(const FolderNode& p, int a, int b) override { Note("inserted", p, a, b); }
    void CheckStatesChanged(const FolderNode& p, int a, int b) override { Note("states", p, a, b); }
};

TEST_F(FolderTreeModelTest, ObserverFollowsInsertionsAndStateChangesByRowRanges) {
    RecordingObserver observer;
    model.SetObserver(&observer);
    model.Expand(At(model, "/ usr lib"));
    model.ToggleCheck(At(model, "/ usr bin"));
    model.SelectAll();
    EXPECT_EQ(observer.notices,
              (Strings{"insert? lib 0 1 of 0", "inserted lib 0 1 of 1", "states usr 0 0 of 3", "states bin 0 1 of 2",
                       "states / 1 1 of 3", "states top 0 0 of 2", "states top 0 1 of 2", "states / 0 2 of 3",
                       "states home 0 0 of 1", "states usr 1 2 of 3", "states lib 0 0 of 1"}));
    observer.notices = {};
    model.LoadDrives();
    EXPECT_EQ(observer.notices, (Strings{"reset?", "reset"}));
    EXPECT_EQ(States(model.Root()), " /- /home/ann-");
}

}  // namespace
}  // namespace twinseek
