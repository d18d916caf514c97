// The folder tree's rules without widgets: the three check states with their
// propagation and the collected roots over a listing held in memory, and the
// entries of a real tree.
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

}  // namespace
}  // namespace twinseek
