// The sizes, times and names an entry of a listing gets, and full paths.
#include "platform/FindData.h"
#include "platform/FullPath.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace twinseek {
namespace {

TEST(FindDataTest, SizeSplitsIntoHalvesTimesCountFrom1601AndNamesMustFit) {
    FindData data;
    struct stat status {};
    status.st_mode = S_IFREG | 0644;
    status.st_size = off_t(5) << 32 | 7;
    status.st_ctim = {1, 500};
    struct timespec birth {2, 0};
    FillFindData(data, status, "big", &birth);
    EXPECT_EQ(data.nFileSizeHigh, 5u);
    EXPECT_EQ(data.nFileSizeLow, 7u);
    EXPECT_EQ(data.ftLastWriteTime.Value(), 116444736000000000ULL);
    EXPECT_EQ(data.ftCreationTime.Value(), 116444736000000000ULL + 20000000ULL);
    FillFindData(data, status, "big", nullptr);
    EXPECT_EQ(data.ftCreationTime.Value(), 116444736000000000ULL + 10000005ULL)
        << "without a birth time the change time stands in";

    std::string longest(kMaxNameBuffer - 1, 'y');
    EXPECT_TRUE(data.SetName(longest.c_str()));
    EXPECT_EQ(std::strlen(data.cFileName), size_t(kMaxNameBuffer - 1));
    std::string tooLong(kMaxNameBuffer, 'x');
    EXPECT_FALSE(data.SetName(tooLong.c_str()));
    EXPECT_EQ(data.cFileName, longest) << "a name that does not fit leaves the old one";
}

// Absolute paths from their text alone, relative ones joined to the working directory.
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
