#include "platform/FullPath.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <unistd.h>

namespace twinseek {
namespace {

std::string FullPathOf(const char* path) {
    char out[PATH_MAX];
    EXPECT_TRUE(GetFullPathName(path, out, sizeof out)) << path;
    return out;
}

TEST(FullPathTest, FoldsSeparatorsDotsAndTrailingSlash) {
    EXPECT_EQ(FullPathOf("/a//b/./c/../d"), "/a/b/d");
    EXPECT_EQ(FullPathOf("/a/b/../.."), "/");
    EXPECT_EQ(FullPathOf("///a/./"), "/a");
    EXPECT_EQ(FullPathOf("/a/..b/.c"), "/a/..b/.c") << "only whole components are dots";
    EXPECT_EQ(FullPathOf("/../../x"), "/x") << "the root stays the root";
    EXPECT_EQ(FullPathOf("//"), "/");
}

TEST(FullPathTest, RelativePathsJoinTheWorkingDirectoryWhileItExists) {
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    testing::TemporaryTree tree;
    tree.Folder("cwd");
    const std::string directory = tree.Path("cwd");
    ASSERT_EQ(chdir(directory.c_str()), 0);
    EXPECT_EQ(FullPathOf("x/y"), directory + "/x/y");
    EXPECT_EQ(FullPathOf(""), directory);
    EXPECT_EQ(FullPathOf("./x/../y/"), directory + "/y");
    EXPECT_EQ(FullPathOf(".."), tree.Root());
    EXPECT_EQ(GetFullPathName(std::string_view("x/y")), directory + "/x/y");

    ASSERT_EQ(rmdir(directory.c_str()), 0);
    char out[16] = "old";
    EXPECT_FALSE(GetFullPathName("x", out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetFullPathName(std::string_view("x")), std::nullopt);
    EXPECT_EQ(GetFullPathName(std::string_view("/x")), "/x") << "absolute paths need no working directory";
    EXPECT_EQ(chdir(previous), 0);
}

TEST(FullPathTest, ResultMustFitWithItsZero) {
    char exact[7];
    EXPECT_TRUE(GetFullPathName("/a/b/../cde", exact, sizeof exact));
    EXPECT_STREQ(exact, "/a/cde");
    char short1[6] = "old";
    EXPECT_FALSE(GetFullPathName("/a/b/../cde", short1, sizeof short1));
    EXPECT_STREQ(short1, "");
    char longInput[4];
    EXPECT_TRUE(GetFullPathName("/a/bcdefgh/..", longInput, sizeof longInput)) << "only the folded result has to fit";
    EXPECT_STREQ(longInput, "/a");
}

}  // namespace
}  // namespace twinseek
