#include "platform/FileOperations.h"

#include "platform/CXException.h"

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

class ScratchFolder {
public:
    ScratchFolder() {
        char pattern[] = "/tmp/twinseek-fileops-XXXXXX";
        if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string Path(const std::string& name) const { return path + "/" + name; }
    size_t Count() const {
        return size_t(std::distance(std::filesystem::directory_iterator(path), std::filesystem::directory_iterator()));
    }

    std::string path;
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
}

TEST(FileOperationsTest, NoTemporaryFileWhereTheFolderIsMissing) {
    ScratchFolder folder;
    CXFile file;
    try {
        OpenTemporaryBeside(file, folder.Path("absent/doc.tws"));
        FAIL() << "a temporary file was made in a missing folder";
    } catch (const CXFileException& error) {
        EXPECT_EQ(error.GetCause(), uint32_t(ENOENT));
    }
    EXPECT_FALSE(file.IsOpen());
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

TEST(FileOperationsTest, RemoveFileReportsWhetherItRemoved) {
    ScratchFolder folder;
    Write(folder.Path("gone"), "x");
    EXPECT_TRUE(RemoveFile(folder.Path("gone")));
    EXPECT_FALSE(std::filesystem::exists(folder.Path("gone")));
    EXPECT_FALSE(RemoveFile(folder.Path("gone")));
}

TEST(FileOperationsTest, CopyPermissionsTakesTheSourceBits) {
    ScratchFolder folder;
    Write(folder.Path("from"), "a");
    Write(folder.Path("to"), "b");
    ASSERT_EQ(chmod(folder.Path("from").c_str(), 0604), 0);
    EXPECT_TRUE(CopyPermissions(folder.Path("from"), folder.Path("to")));
    struct stat status {};
    ASSERT_EQ(stat(folder.Path("to").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    EXPECT_FALSE(CopyPermissions(folder.Path("absent"), folder.Path("to")));
}

}  // namespace
}  // namespace twinseek
