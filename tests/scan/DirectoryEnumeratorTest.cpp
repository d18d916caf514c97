#include "scan/DirectoryEnumerator.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

namespace twinseek {
namespace {

using testing::TemporaryTree;

// How each name is joined to the folder is seen in every scan test; here are
// the edges: a full path without room, the file system root, overlong paths,
// and the ends of a listing.
TEST(DirectoryEnumeratorTest, FullPathsNeedRoomForTheZeroAndTheFileSystemRootGetsNoSecondSeparator) {
    TemporaryTree tree;
    tree.Folder("sub");
    tree.File("sub/.x");
    DirectoryEnumerator enumerator;
    ASSERT_TRUE(enumerator.Open((tree.Root() + "//sub/./").c_str()));
    EXPECT_EQ(enumerator.RootDir(), tree.Path("sub"));
    while (std::strcmp(enumerator.Entry().cFileName, ".x") != 0) ASSERT_TRUE(enumerator.Next());
    std::string expected = tree.Path("sub/.x");
    std::string buffer(expected.size() + 1, '#');
    EXPECT_FALSE(enumerator.FullPath(buffer.data(), expected.size())) << "no room for the zero";
    EXPECT_EQ(buffer, std::string(expected.size() + 1, '#')) << "left alone";
    EXPECT_TRUE(enumerator.FullPath(buffer.data(), buffer.size()));
    EXPECT_EQ(buffer.c_str(), expected);

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
    EXPECT_TRUE(enumerator.IsDotsEntry());
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
