#include "scan/DirectoryEnumerator.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <set>
#include <string>

namespace twinseek {
namespace {

using testing::TemporaryTree;

// Full paths of every entry but . and .., and the names taken for dots entries.
struct Listing {
    std::set<std::string> paths;
    std::set<std::string> dots;
};

Listing ListAll(DirectoryEnumerator& enumerator) {
    Listing listing;
    char path[PATH_MAX];
    for (bool found = enumerator.Found(); found; found = enumerator.Next()) {
        if (enumerator.IsDotsEntry()) {
            listing.dots.insert(enumerator.Entry().cFileName);
            continue;
        }
        EXPECT_TRUE(enumerator.FullPath(path, sizeof path));
        listing.paths.insert(path);
    }
    return listing;
}

TEST(DirectoryEnumeratorTest, JoinsTheDirectoryAndEachNameIntoFullPaths) {
    TemporaryTree tree;
    tree.Folder("sub");
    tree.Folder("sub/...");
    tree.File("sub/.x");
    DirectoryEnumerator enumerator;
    ASSERT_TRUE(enumerator.Open((tree.Root() + "//sub/./").c_str()));
    EXPECT_EQ(enumerator.RootDir(), tree.Path("sub"));
    Listing listing = ListAll(enumerator);
    EXPECT_EQ(listing.dots, (std::set<std::string>{".", ".."}));
    EXPECT_EQ(listing.paths, (std::set<std::string>{tree.Path("sub/..."), tree.Path("sub/.x")}))
        << "only . and .. are dots entries";

    ASSERT_TRUE(enumerator.Open(tree.Path("sub").c_str()));
    while (std::strcmp(enumerator.Entry().cFileName, ".x") != 0) ASSERT_TRUE(enumerator.Next());
    std::string expected = tree.Path("sub/.x");
    std::string buffer(expected.size() + 1, '#');
    EXPECT_FALSE(enumerator.FullPath(buffer.data(), expected.size())) << "no room for the zero";
    EXPECT_EQ(buffer, std::string(expected.size() + 1, '#')) << "left alone";

    // The file system root gets no second separator.
    ASSERT_TRUE(enumerator.Open("/"));
    EXPECT_EQ(enumerator.RootDir(), "/");
    while (enumerator.IsDotsEntry()) ASSERT_TRUE(enumerator.Next());
    char path[PATH_MAX];
    ASSERT_TRUE(enumerator.FullPath(path, sizeof path));
    EXPECT_EQ(path, std::string("/") + enumerator.Entry().cFileName);
}

TEST(DirectoryEnumeratorTest, OverlongPathsAreRefusedAndNothingIsFoundPastTheEndOrAfterClose) {
    TemporaryTree tree;
    DirectoryEnumerator enumerator;
    std::string overlong = tree.Root() + std::string(PATH_MAX, '/');
    EXPECT_FALSE(enumerator.Open(overlong.c_str())) << "refused before it is folded";
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_FALSE(enumerator.Found());

    ASSERT_TRUE(enumerator.Open(tree.Root().c_str()));
    EXPECT_TRUE(enumerator.Next());
    EXPECT_FALSE(enumerator.Next()) << "an empty folder holds only . and ..";
    EXPECT_FALSE(enumerator.Next());
    ASSERT_TRUE(enumerator.Open(tree.Root().c_str()));
    enumerator.Close();
    EXPECT_FALSE(enumerator.HasAttribute(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(enumerator.Next());
    char path[PATH_MAX] = "unchanged";
    EXPECT_FALSE(enumerator.FullPath(path, sizeof path));
    EXPECT_STREQ(path, "unchanged");
}

}  // namespace
}  // namespace twinseek
