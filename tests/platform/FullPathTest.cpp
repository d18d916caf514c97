#include "platform/FullPath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace twinseek {
namespace {

std::string FullPathOf(const char* path) {
    char out[PATH_MAX];
    EXPECT_TRUE(GetFullPathName(path, out, sizeof out)) << path;
    return out;
}

// Moves into a fresh temporary directory for one test and back out afterwards.
class FullPathInTemporaryDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        char pattern[] = "/tmp/fullpath-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        // /tmp itself may be a link; the working directory is the resolved path.
        char* resolved = realpath(pattern, nullptr);
        ASSERT_NE(resolved, nullptr);
        directory = resolved;
        std::free(resolved);
        ASSERT_EQ(chdir(directory.c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(chdir(previous), 0);
        rmdir(directory.c_str());
    }

    char previous[PATH_MAX] = {};
    std::string directory;
};

TEST(FullPathTest, FoldsSeparatorsDotsAndTrailingSlash) {
    EXPECT_EQ(FullPathOf("/a//b/./c/../d"), "/a/b/d");
    EXPECT_EQ(FullPathOf("/a/b/../.."), "/");
    EXPECT_EQ(FullPathOf("///a/./"), "/a");
    EXPECT_EQ(FullPathOf("/a/..b/.c"), "/a/..b/.c") << "only whole components are dots";
    EXPECT_EQ(FullPathOf("/../../x"), "/x") << "the root stays the root";
    EXPECT_EQ(FullPathOf("//"), "/");
}

TEST_F(FullPathInTemporaryDirectory, RelativePathsJoinTheWorkingDirectory) {
    EXPECT_EQ(FullPathOf("x/y"), directory + "/x/y");
    EXPECT_EQ(FullPathOf(""), directory);
    EXPECT_EQ(FullPathOf("./x/../y/"), directory + "/y");
    std::string parent = directory.substr(0, directory.rfind('/'));
    EXPECT_EQ(FullPathOf(".."), parent);
    EXPECT_EQ(GetFullPathName(std::string_view("x/y")), directory + "/x/y");
}

TEST_F(FullPathInTemporaryDirectory, FailsWhenTheWorkingDirectoryIsGone) {
    ASSERT_EQ(rmdir(directory.c_str()), 0);
    char out[16];
    std::strcpy(out, "old");
    EXPECT_FALSE(GetFullPathName("x", out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetFullPathName(std::string_view("x")), std::nullopt);
    EXPECT_EQ(GetFullPathName(std::string_view("/x")), "/x") << "absolute paths need no working directory";
}

TEST(FullPathTest, ResultMustFitWithItsZero) {
    char exact[7];
    EXPECT_TRUE(GetFullPathName("/a/b/../cde", exact, sizeof exact));
    EXPECT_STREQ(exact, "/a/cde");
    char short1[6] = "old";
    EXPECT_FALSE(GetFullPathName("/a/b/../cde", short1, sizeof short1));
    EXPECT_STREQ(short1, "");
    char longInput[4];
    EXPECT_TRUE(GetFullPathName("/a/bcdefgh/..", longInput, sizeof longInput))
        << "only the folded result has to fit";
    EXPECT_STREQ(longInput, "/a");
}

}  // namespace
}  // namespace twinseek
