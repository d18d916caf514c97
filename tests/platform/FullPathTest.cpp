// Absolute paths from their text alone: separators, dots and a trailing slash
// folded, relative paths joined to the working directory, and a result that must fit.
#include "platform/FullPath.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <unistd.h>
#include <vector>

namespace twinseek {
namespace {

TEST(FullPathTest, FoldsTheTextJoinsTheWorkingDirectoryWhileItExistsAndMustFitWithItsZero) {
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    testing::TemporaryTree tree;
    tree.Folder("cwd");
    const std::string cwd = tree.Path("cwd");
    ASSERT_EQ(chdir(cwd.c_str()), 0);
    // The room is the buffer's whole size, so a write past it shows under ASan; "" is refused.
    const struct { const char* path; size_t room; std::string full; } cases[] = {
        {"/a//b/./c/../d", PATH_MAX, "/a/b/d"}, {"/a/b/../..", PATH_MAX, "/"}, {"///a/./", PATH_MAX, "/a"},
        {"/a/..b/.c", PATH_MAX, "/a/..b/.c"},  // only whole components are dots
        {"/../../x", PATH_MAX, "/x"}, {"//", PATH_MAX, "/"}, {"x/y", PATH_MAX, cwd + "/x/y"}, {"", PATH_MAX, cwd},
        {"./x/../y/", PATH_MAX, cwd + "/y"}, {"..", PATH_MAX, tree.Root()}, {"/a/b/../cde", 7, "/a/cde"},
        {"/a/b/../cde", 6, ""}, {"/a/bcdefgh/..", 4, "/a"},  // only the folded result has to fit
    };
    for (const auto& [path, room, full] : cases) {
        std::vector<char> out(room, '#');
        EXPECT_EQ(GetFullPathName(path, out.data(), room), !full.empty()) << path;
        EXPECT_EQ(std::string(out.data()), full) << path;
    }
    EXPECT_EQ(GetFullPathName(std::string_view("x/y")), cwd + "/x/y");

    ASSERT_EQ(rmdir(cwd.c_str()), 0);
    char out[16] = "old";
    EXPECT_FALSE(GetFullPathName("x", out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetFullPathName(std::string_view("x")), std::nullopt);
    EXPECT_EQ(GetFullPathName(std::string_view("/x")), "/x") << "absolute paths need no working directory";
    EXPECT_EQ(chdir(previous), 0);
}

}  // namespace
}  // namespace twinseek
