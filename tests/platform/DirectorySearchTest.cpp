// Listing a directory: only real directories are opened, why a path cannot be
// listed, and the sizes, times and names an entry gets.
#include "platform/DirectorySearch.h"
#include "platform/FindData.h"
#include "platform/PathProbe.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace twinseek {
namespace {

using testing::TemporaryTree;

// What links and FIFOs are listed as is seen in the scan tests; here only
// real directories are opened, and why another path is not says its error.
TEST(DirectorySearchTest, OpensOnlyRealDirectoriesAndTellsWhyAPathCannotBeListed) {
    TemporaryTree tree;
    tree.Folder("target");
    tree.File("file", 3);
    tree.Link("toFolder", "target");
    DirectorySearch search;
    FindData data;
    EXPECT_FALSE(search.FindFirst(tree.Path("toFolder").c_str(), data)) << "a linked directory is not entered";
    EXPECT_FALSE(search.FindFirst(tree.Path("file").c_str(), data));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(search.FindFirst(tree.Path("missing").c_str(), data));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(search.IsOpen());
    EXPECT_FALSE(search.FindNext(data));

    EXPECT_EQ(DirectoryAccessError(tree.Path("target")), 0);
    EXPECT_EQ(DirectoryAccessError(tree.Path("file")), ENOTDIR);
    EXPECT_EQ(DirectoryAccessError(tree.Path("missing")), ENOENT);
    EXPECT_EQ(DirectoryAccessError(tree.Path("toFolder")), ELOOP) << "the walk never enters a link";
}

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

}  // namespace
}  // namespace twinseek
