#include "platform/FileOperations.h"

#include "platform/CXException.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace twinseek {
namespace {

// A temporary folder whose entries can be counted.
struct ScratchFolder : testing::TemporaryTree {
    std::string path = Root();
    size_t Count() const {
        return size_t(std::distance(std::filesystem::directory_iterator(path), std::filesystem::directory_iterator()));
    }
};

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FileOperationsTest, TemporaryFilesAreNewHiddenAndBesideTheirTarget) {
    ScratchFolder folder;
    CXFile first;
    CXFile second;
    std::string firstPath = OpenTemporaryBeside(first, folder.Path("doc.tws"));
    std::string secondPath = OpenTemporaryBeside(second, folder.Path("doc.tws"));
    EXPECT_NE(firstPath, secondPath);
    EXPECT_EQ(std::filesystem::path(firstPath).parent_path(), folder.path);
    EXPECT_EQ(std::filesystem::path(firstPath).filename().string()[0], '.');
    first.Write("abc", 3);
    first.Close();
    EXPECT_EQ(Read(firstPath), "abc");
    EXPECT_EQ(folder.Count(), 2u);
    EXPECT_THROW(OpenTemporaryBeside(first, folder.Path("absent/doc.tws")), CXFileException);
}

TEST(FileOperationsTest, ReplaceFileSwapsContentsOrLeavesBothAlone) {
    ScratchFolder folder;
    Write(folder.Path("new"), "new contents");
    Write(folder.Path("old"), "old");
    ReplaceFile(folder.Path("new"), folder.Path("old"));
    EXPECT_EQ(Read(folder.Path("old")), "new contents");
    EXPECT_FALSE(std::filesystem::exists(folder.Path("new")));

    std::filesystem::create_directory(folder.Path("dir"));
    Write(folder.Path("next"), "next");
    try {
        ReplaceFile(folder.Path("next"), folder.Path("dir"));
        FAIL() << "a folder was replaced by a file";
    } catch (const CXFileException& error) {
        EXPECT_EQ(error.GetCause(), uint32_t(EISDIR));
        EXPECT_FALSE(error.GetErrorMessage().empty());
    }
    EXPECT_EQ(Read(folder.Path("next")), "next");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path("dir")));
}

TEST(FileOperationsTest, CopyPermissionsAndRemoveReportFailure) {
    ScratchFolder folder;
    Write(folder.Path("from"), "a");
    Write(folder.Path("to"), "b");
    ASSERT_EQ(chmod(folder.Path("from").c_str(), 0604), 0);
    EXPECT_TRUE(CopyPermissions(folder.Path("from"), folder.Path("to")));
    struct stat status {};
    ASSERT_EQ(stat(folder.Path("to").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    EXPECT_FALSE(CopyPermissions(folder.Path("absent"), folder.Path("to")));
    EXPECT_TRUE(RemoveFile(folder.Path("to")));
    EXPECT_FALSE(RemoveFile(folder.Path("to"))) << "nothing left to remove";
}

}  // namespace
}  // namespace twinseek
