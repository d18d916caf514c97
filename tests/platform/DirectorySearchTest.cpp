#include "platform/DirectorySearch.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>

namespace twinseek {
namespace {

using testing::TemporaryTree;

// Every entry of the directory at path by name; a name seen twice fails.
std::map<std::string, FindData> ListAll(const std::string& path) {
    std::map<std::string, FindData> entries;
    DirectorySearch search;
    FindData data;
    for (bool found = search.FindFirst(path.c_str(), data); found; found = search.FindNext(data))
        EXPECT_TRUE(entries.emplace(data.cFileName, data).second) << "listed twice: " << data.cFileName;
    return entries;
}

TEST(DirectorySearchTest, ListsEveryEntryOnceWithDotsAndAttributes) {
    TemporaryTree tree;
    tree.Folder("sub");
    tree.File(".hidden", 3);
    tree.File("data", 70000);
    tree.File("locked", 1);
    ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0444), 0);
    struct timespec times[2] = {{1000, 0}, {2000, 500}};
    ASSERT_EQ(utimensat(AT_FDCWD, tree.Path("data").c_str(), times, 0), 0);

    std::map<std::string, FindData> entries = ListAll(tree.Root());
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries["."].dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(entries[".."].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(entries["sub"].dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(entries[".hidden"].dwFileAttributes, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(entries[".hidden"].Size(), 3u);
    EXPECT_EQ(entries["locked"].dwFileAttributes, FILE_ATTRIBUTE_READONLY);
    const FindData& data = entries["data"];
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(data.Size(), 70000u);
    EXPECT_EQ(data.ftLastAccessTime.Value(), FileTime::FromUnix(1000, 0).Value());
    EXPECT_EQ(data.ftLastWriteTime.Value(), FileTime::FromUnix(2000, 500).Value());
    EXPECT_NE(data.ftCreationTime.Value(), 0u);
}

TEST(DirectorySearchTest, DescribesLinksAndSpecialFilesWithoutFollowingOpeningOrEnteringThem) {
    TemporaryTree tree;
    tree.Folder("target");
    tree.File("target/inside", 5);
    tree.Link("toFolder", "target");
    tree.Link("dangling", "nowhere/at/all");
    ASSERT_EQ(mkfifo(tree.Path("pipe").c_str(), 0644), 0);

    std::map<std::string, FindData> entries = ListAll(tree.Root());
    EXPECT_EQ(entries["toFolder"].dwFileAttributes, FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(entries["toFolder"].Size(), 6u) << "a link's size is the length of its target text";
    EXPECT_EQ(entries["dangling"].dwFileAttributes, FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(entries["pipe"].dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(entries.count("inside"), 0u);

    DirectorySearch search;  // only real directories are opened
    FindData data;
    EXPECT_FALSE(search.FindFirst(tree.Path("toFolder").c_str(), data)) << "a linked directory is not entered";
    EXPECT_FALSE(search.FindFirst(tree.Path("target/inside").c_str(), data));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(search.FindFirst(tree.Path("missing").c_str(), data));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(search.IsOpen());
    EXPECT_FALSE(search.FindNext(data));
}

TEST(DirectorySearchTest, TellsPseudoFileSystemsFromRealOnes) {
    TemporaryTree tree;
    DirectorySearch search;
    FindData data;
    ASSERT_TRUE(search.FindFirst(tree.Root().c_str(), data));
    EXPECT_FALSE(search.IsOnPseudoFileSystem()) << "the temporary folder holds real files, tmpfs or not";
    struct statfs proc {};
    if (statfs("/proc", &proc) != 0 || proc.f_type != 0x9fa0) GTEST_SKIP() << "/proc is not mounted";
    ASSERT_TRUE(search.FindFirst("/proc", data));
    EXPECT_TRUE(search.IsOnPseudoFileSystem());
    ASSERT_TRUE(search.FindFirst("/proc/self", data) || search.FindFirst("/proc/1", data));
    EXPECT_TRUE(search.IsOnPseudoFileSystem());
}

}  // namespace
}  // namespace twinseek
