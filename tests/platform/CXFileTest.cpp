// The file layer: the document's open file, a safe save's temporary file,
// replacement and permissions, and the reader of contents for comparing.
#include "platform/CXFile.h"

#include "platform/CXException.h"
#include "platform/BusErrorGuard.h"
#include "platform/FileContentReader.h"
#include "platform/FileOperations.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace twinseek {
namespace {

using namespace testing;

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

TEST(CXFileTest, MissingFilesDirectoriesAndFifosAreRefusedWithoutBlockingAndNoSeekGoesBeforeTheStart) {
    TemporaryTree dir;
    CXFile file;
    const auto openError = [&](const std::string& path, CXFile::Access access) {
        return FileErrorOf([&] { file.Open(path, access, CXFile::Creation::OpenExisting); });
    };
    EXPECT_EQ(openError(dir.Path("missing"), CXFile::Access::Read), uint32_t(ENOENT));
    EXPECT_EQ(openError(dir.Root(), CXFile::Access::Read), uint32_t(EISDIR));
    std::string fifo = dir.Path("pipe.tws");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(openError(fifo, CXFile::Access::Read), uint32_t(EINVAL));
    EXPECT_NE(openError(fifo, CXFile::Access::Write), 0u) << "a FIFO without a reader is refused, not waited on";
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetFilePath(), "");

    // Reads, writes and seeks move in the file; none goes before its start.
    file.Open(dir.Path("data.tws"), CXFile::Access::ReadWrite, CXFile::Creation::CreateNew);
    EXPECT_EQ(file.GetFileName(), "data.tws");
    file.Write("0123456789", 10);
    EXPECT_EQ(file.Seek(-4, CXFile::SeekFrom::Current), 6u);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 4u) << "one read stops at the end";
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(FileErrorOf([&] { file.Seek(-11, CXFile::SeekFrom::Current); }), uint32_t(EINVAL));
    file.Close();
    EXPECT_EQ(file.GetFilePath(), "") << "a closed file has no name";
    EXPECT_EQ(FileErrorOf([&] { file.Flush(); file.Close(); }), 0u) << "flushing or closing a closed file does nothing";
    EXPECT_EQ(FileErrorOf([&] { file.Open(dir.Path("data.tws"), CXFile::Access::Write, CXFile::Creation::CreateNew); }),
              uint32_t(EEXIST));
}

TEST(FileOperationsTest, TemporaryFilesAreNewHiddenAndBesideTheirTargetAndReplaceOrLeaveIt) {
    TemporaryTree folder;
    CXFile first, second;
    std::string firstPath = OpenTemporaryBeside(first, folder.Path("doc.tws"));
    EXPECT_NE(OpenTemporaryBeside(second, folder.Path("doc.tws")), firstPath);
    EXPECT_EQ(std::filesystem::path(firstPath).parent_path(), folder.Root());
    EXPECT_EQ(std::filesystem::path(firstPath).filename().string()[0], '.');
    first.Write("abc", 3);
    first.Close();
    EXPECT_EQ(ReadBytes(firstPath), "abc");
    EXPECT_EQ(testing::EntriesIn(folder.Root()), 2);
    EXPECT_THROW(OpenTemporaryBeside(first, folder.Path("absent/doc.tws")), CXFileException);

    // A replacement that fails leaves both alone; permissions copy.
    folder.Folder("dir");
    WriteBytes(folder.Path("next"), "next");
    EXPECT_EQ(FileErrorOf([&] { ReplaceFile(folder.Path("next"), folder.Path("dir")); }), uint32_t(EISDIR));
    EXPECT_EQ(ReadBytes(folder.Path("next")), "next");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path("dir")));

    WriteBytes(folder.Path("old"), "old");
    ASSERT_EQ(chmod(folder.Path("old").c_str(), 0604), 0);
    EXPECT_TRUE(CopyPermissions(folder.Path("old"), folder.Path("next")));
    EXPECT_EQ(testing::StatusOf(folder.Path("next")).st_mode & 07777, 0604u);
    EXPECT_FALSE(CopyPermissions(folder.Path("absent"), folder.Path("next")));
}

using Status = FileContentReader::ReadStatus;

TEST(FileContentReaderTest, ReadsAndMapsARegularFileTellsAReadErrorFromTheEndAndSurvivesAFileCutShortUnderAView) {
    testing::TemporaryTree tree;
    const std::string content = testing::RandomContent(2 * 65536 + 123, 1);
    testing::WriteBytes(tree.Path("data"), content);
    FileContentReader reader;
    ASSERT_TRUE(reader.Open(tree.Path("data").c_str()));
    std::string read;
    std::string buffer(65536, '\0');
    FileContentReader::ReadResult result;
    while ((result = reader.Read(buffer.data(), buffer.size())).status == Status::Data)
        read.append(buffer, 0, result.bytes);
    EXPECT_EQ(result.status, Status::EndOfFile);
    EXPECT_EQ(read, content);
    EXPECT_EQ(reader.Read(buffer.data(), 16).status, Status::EndOfFile) << "the end stays the end";

    FileContentReader::MappedView view = reader.MapAt(4096 + 3, 5000);
    ASSERT_EQ(view.status, Status::Data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.data), view.bytes), content.substr(4096 + 3, 5000));
    view = reader.MapAt(content.size() - 10, 5000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.data), view.bytes), content.substr(content.size() - 10));
    EXPECT_EQ(reader.MapAt(content.size(), 5000).status, Status::EndOfFile);

    // Cut to nothing under a mapped view: every touch fails the guard, the
    // second too (the first must not leave SIGBUS blocked), and the process lives.
    view = reader.MapAt(0, 3 * 4096);
    ASSERT_EQ(view.status, Status::Data);
    ASSERT_EQ(truncate(tree.Path("data").c_str(), 0), 0);
    struct Touch {
        const uint8_t* byte;
        int sum = 0;
    };
    auto touch = [](void* context) {
        Touch& work = *static_cast<Touch*>(context);
        work.sum += *static_cast<const volatile uint8_t*>(work.byte);
    };
    for (size_t at : {size_t(0), size_t(2 * 4096 + 1)}) {
        Touch work{view.data + at};
        EXPECT_FALSE(RunGuardedAgainstBusError(touch, &work)) << at;
    }
    uint8_t heap = 7;
    Touch work{&heap};
    EXPECT_TRUE(RunGuardedAgainstBusError(touch, &work));
    EXPECT_EQ(work.sum, 7);

    // This process's memory reads as an error at offset 0, where nothing is mapped.
    ASSERT_TRUE(reader.Open("/proc/self/mem")) << reader.LastError();
    EXPECT_EQ(reader.Read(buffer.data(), 64).status, Status::Failed);
    EXPECT_EQ(reader.LastError(), EIO);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
}

}  // namespace
}  // namespace twinseek
