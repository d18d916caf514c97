#include "platform/CXFile.h"

#include "platform/CXException.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace twinseek {
namespace {

using testing::TemporaryTree;

std::string ReadAll(CXFile& file) {
    file.Seek(0, CXFile::SeekFrom::Begin);
    std::string contents;
    char chunk[64];
    while (size_t got = file.Read(chunk, sizeof chunk)) contents.append(chunk, got);
    return contents;
}

// Runs body and returns the cause of the CXFileException it throws (0 if none).
template <typename Body>
uint32_t FileErrorOf(Body body) {
    try {
        body();
    } catch (const CXFileException& error) {
        return error.GetCause();
    }
    return 0;
}

TEST(CXFileTest, CreationModesDecideContentsAndStartingPosition) {
    TemporaryTree dir;
    std::string path = dir.Path("doc.tws");
    testing::WriteBytes(path, "hello");
    CXFile file;
    file.Open(path, CXFile::Access::ReadWrite, CXFile::Creation::OpenAlways);
    EXPECT_EQ(file.GetPosition(), 5u) << "an existing file opens at its end";
    EXPECT_EQ(ReadAll(file), "hello");
    file.Close();
    file.Open(path, CXFile::Access::ReadWrite, CXFile::Creation::CreateAlways);
    EXPECT_EQ(file.SeekToEnd(), 0u) << "CreateAlways truncates";
    file.Write("again", 5);
    file.Close();
    EXPECT_EQ(FileErrorOf([&] { file.Open(path, CXFile::Access::Write, CXFile::Creation::CreateNew); }),
              uint32_t(EEXIST));
    file.Open(path, CXFile::Access::Write, CXFile::Creation::TruncateExisting);
    EXPECT_EQ(file.SeekToEnd(), 0u);
    file.Close();
    file.Open(dir.Path("fresh.tws"), CXFile::Access::ReadWrite, CXFile::Creation::OpenAlways);
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_TRUE(std::filesystem::exists(dir.Path("fresh.tws")));
}

TEST(CXFileTest, MissingFilesDirectoriesAndFifosAreRefusedWithoutBlocking) {
    TemporaryTree dir;
    CXFile file;
    EXPECT_EQ(FileErrorOf([&] { file.Open(dir.Path("missing"), CXFile::Access::Read, CXFile::Creation::OpenExisting); }),
              uint32_t(ENOENT));
    EXPECT_EQ(FileErrorOf([&] { file.Open(dir.Root(), CXFile::Access::Read, CXFile::Creation::OpenExisting); }),
              uint32_t(EISDIR));
    std::string fifo = dir.Path("pipe.tws");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(FileErrorOf([&] { file.Open(fifo, CXFile::Access::Read, CXFile::Creation::OpenExisting); }),
              uint32_t(EINVAL));
    EXPECT_NE(FileErrorOf([&] { file.Open(fifo, CXFile::Access::Write, CXFile::Creation::OpenExisting); }), 0u)
        << "a FIFO without a reader is refused, not waited on";
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetFilePath(), "");
}

TEST(CXFileTest, PathIsMadeFullOnTheTextAloneAndReadsWritesAndSeeksMoveInIt) {
    TemporaryTree dir;
    dir.Folder("sub");
    CXFile file;
    file.Open(dir.Root() + "//sub/./../data.tws", CXFile::Access::ReadWrite, CXFile::Creation::CreateNew);
    EXPECT_EQ(file.GetFilePath(), dir.Path("data.tws"));
    EXPECT_EQ(file.GetFileName(), "data.tws");

    file.Write("0123456789", 10);
    EXPECT_EQ(file.GetPosition(), 10u);
    EXPECT_EQ(file.Seek(-4, CXFile::SeekFrom::End), 6u);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 4u) << "one read stops at the end";
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(file.Seek(-3, CXFile::SeekFrom::Current), 7u);
    EXPECT_EQ(FileErrorOf([&] { file.Seek(-1, CXFile::SeekFrom::Begin); }), uint32_t(EINVAL));
    file.SetLength(3);
    EXPECT_EQ(file.SeekToEnd(), 3u);
    EXPECT_EQ(ReadAll(file), "012");
    file.Flush();
    file.Close();
    EXPECT_EQ(testing::ReadBytes(dir.Path("data.tws")), "012");
    EXPECT_EQ(file.GetFilePath(), "") << "a closed file has no name";
    EXPECT_EQ(FileErrorOf([&] { file.GetPosition(); }), uint32_t(EBADF)) << "a closed file has no position";
    EXPECT_EQ(FileErrorOf([&] { file.Flush(); file.Close(); }), 0u) << "flushing or closing a closed file does nothing";
}

}  // namespace
}  // namespace twinseek
