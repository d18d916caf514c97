#include "platform/CXFile.h"

#include "platform/CXException.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {
namespace {

using TempDir = testing::TemporaryTree;

void WriteFileContents(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

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

TEST(CXExceptionTest, FileErrorsCarryErrnoAndSystemText) {
    CXFileException missing(ENOENT);
    EXPECT_EQ(missing.GetCause(), uint32_t(ENOENT));
    EXPECT_EQ(missing.GetErrorMessage(), "No such file or directory");
    EXPECT_STREQ(missing.what(), "No such file or directory");
    EXPECT_EQ(CXFileException(99999).GetErrorMessage(), "") << "no invented text for unknown codes";
}

TEST(CXExceptionTest, ArchiveErrorsTakeTextFromTheirCause) {
    const std::pair<uint32_t, const char*> table[] = {
        {0, "None"}, {1, "Generic archive exception"}, {2, "Archive file is read-only"},
        {3, "End of archive file exception"}, {4, "Archive file is write-only"},
        {5, "Unknown archive exception"}};
    for (const auto& [cause, text] : table) {
        CXArchiveException error(cause, "doc.tws");
        EXPECT_EQ(error.GetCause(), cause);
        EXPECT_EQ(error.GetErrorMessage(), text);
        EXPECT_EQ(error.fileName, "doc.tws");
    }
}

TEST(CXFileTest, CreationModesDecideContentsAndStartingPosition) {
    TempDir dir;
    std::string path = dir.Path("doc.tws");
    WriteFileContents(path, "hello");

    CXFile file;
    file.Open(path, CXFile::Access::ReadWrite, CXFile::Creation::OpenAlways);
    EXPECT_EQ(file.GetPosition(), 5u) << "an existing file opens at its end";
    EXPECT_EQ(ReadAll(file), "hello");
    file.Close();

    file.Open(path, CXFile::Access::ReadWrite, CXFile::Creation::CreateAlways);
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.SeekToEnd(), 0u) << "CreateAlways truncates";
    file.Write("again", 5);
    file.Close();

    EXPECT_EQ(FileErrorOf([&] { file.Open(path, CXFile::Access::Write, CXFile::Creation::CreateNew); }),
              uint32_t(EEXIST));
    file.Open(path, CXFile::Access::Write, CXFile::Creation::TruncateExisting);
    EXPECT_EQ(file.SeekToEnd(), 0u);
    file.Close();

    std::string fresh = dir.Path("fresh.tws");
    file.Open(fresh, CXFile::Access::ReadWrite, CXFile::Creation::OpenAlways);
    EXPECT_EQ(file.GetPosition(), 0u);
    file.Close();
    EXPECT_TRUE(std::filesystem::exists(fresh));
}

TEST(CXFileTest, MissingFilesDirectoriesAndFifosAreRefusedWithoutBlocking) {
    TempDir dir;
    CXFile file;
    EXPECT_EQ(FileErrorOf([&] { file.Open(dir.Path("missing"), CXFile::Access::Read, CXFile::Creation::OpenExisting); }),
              uint32_t(ENOENT));
    EXPECT_EQ(FileErrorOf([&] { file.Open(dir.Root(), CXFile::Access::Read, CXFile::Creation::OpenExisting); }),
              uint32_t(EISDIR));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetFilePath(), "");

    std::string fifo = dir.Path("pipe.tws");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(FileErrorOf([&] { file.Open(fifo, CXFile::Access::Read, CXFile::Creation::OpenExisting); }),
              uint32_t(EINVAL));
    EXPECT_NE(FileErrorOf([&] { file.Open(fifo, CXFile::Access::Write, CXFile::Creation::OpenExisting); }), 0u)
        << "a FIFO without a reader is refused, not waited on";
    EXPECT_FALSE(file.IsOpen());
}

TEST(CXFileTest, PathIsMadeFullOnTheTextAlone) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path("sub"));
    CXFile file;
    file.Open(dir.Root() + "//sub/./../doc.tws", CXFile::Access::Write, CXFile::Creation::CreateAlways);
    EXPECT_EQ(file.GetFilePath(), dir.Path("doc.tws"));
    EXPECT_EQ(file.GetFileName(), "doc.tws");
    file.Close();
    EXPECT_EQ(file.GetFilePath(), "") << "a closed file has no name";

    file.SetFilePath("/a/b/c.tws");
    EXPECT_EQ(file.GetFileName(), "c.tws");
    file.SetFilePath("bare.tws");
    EXPECT_EQ(file.GetFileName(), "bare.tws");
}

TEST(CXFileTest, ReadWriteSeekAndSetLength) {
    TempDir dir;
    CXFile file;
    file.Open(dir.Path("data.tws"), CXFile::Access::ReadWrite, CXFile::Creation::CreateNew);
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
    EXPECT_EQ(file.GetPosition(), 3u);
    EXPECT_EQ(file.SeekToEnd(), 3u);
    EXPECT_EQ(ReadAll(file), "012");
    file.Flush();
    file.Close();
    EXPECT_EQ(std::filesystem::file_size(dir.Path("data.tws")), 3u);

    EXPECT_EQ(FileErrorOf([&] { file.GetPosition(); }), uint32_t(EBADF)) << "a closed file has no position";
    EXPECT_EQ(FileErrorOf([&] { file.Flush(); file.Close(); }), 0u) << "flushing or closing a closed file does nothing";
}

TEST(CXFileTest, LockRangeHoldsAWriteLockUntilUnlocked) {
    TempDir dir;
    std::string path = dir.Path("lock.tws");
    CXFile file;
    file.Open(path, CXFile::Access::ReadWrite, CXFile::Creation::CreateAlways);
    file.Write("0123456789", 10);

    // Open-file-description locks on another descriptor see record locks even in this process.
    int other = open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_NE(other, -1);
    auto lockSeenAt = [&](off_t start) {
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = start;
        probe.l_len = 1;
        EXPECT_EQ(fcntl(other, F_OFD_GETLK, &probe), 0);
        return probe.l_type;
    };

    file.LockRange(2, 4);
    EXPECT_EQ(lockSeenAt(3), F_WRLCK);
    EXPECT_EQ(lockSeenAt(6), F_UNLCK) << "the lock covers only its range";
    file.UnlockRange(2, 4);
    EXPECT_EQ(lockSeenAt(3), F_UNLCK);

    close(other);
}

}  // namespace
}  // namespace twinseek
