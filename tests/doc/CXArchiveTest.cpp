#include "doc/CXArchive.h"

#include "platform/CXException.h"
#include "tests/doc/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace twinseek {
namespace {

using namespace twinseek::testing;

// A file whose every read delivers at most two bytes, as a pipe or network file may.
class TricklingFile : public CXFile {
public:
    size_t Read(void* buffer, size_t count) override { return CXFile::Read(buffer, std::min<size_t>(count, 2)); }
};

// An archive loading the given bytes, from a file that lives as long as it.
struct Loading {
    Loading(const TemporaryTree& dir, const std::string& bytes, uint32_t bufferSize = 4096, bool trickle = false)
        : file(trickle ? std::make_unique<TricklingFile>() : std::make_unique<CXFile>()) {
        WriteBytes(dir.Path("load.tws"), bytes);
        file->Open(dir.Path("load.tws"), CXFile::Access::Read, CXFile::Creation::OpenExisting);
        archive = std::make_unique<CXArchive>(file.get(), CXArchive::Load, bufferSize);
    }
    std::unique_ptr<CXFile> file;
    std::unique_ptr<CXArchive> archive;
};

TEST(CXArchiveTest, WordsAcrossARefillAreJoinedFromBothReadsAndLoadingPastTheEndThrows) {
    TemporaryTree dir;
    TwsBytes bytes;
    bytes.bytes = "x";
    for (uint32_t i = 0; i < 200; ++i) bytes.Word(i * 2654435761u);
    bytes.bytes += "yz";
    // With a 128-byte buffer and one odd byte first, words straddle every refill.
    for (bool trickle : {false, true}) {
        Loading loading(dir, bytes.bytes, 128, trickle);
        CXArchive& archive = *loading.archive;
        EXPECT_EQ(archive.LoadByte(), 'x');
        for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(archive.LoadWord(), i * 2654435761u) << "word " << i;
        try {
            archive.LoadWord();
            ADD_FAILURE() << "a word two bytes short loaded";
        } catch (const CXArchiveException& error) {
            EXPECT_EQ(error.GetErrorMessage(), "End of archive file exception");
            EXPECT_EQ(error.fileName, "load.tws") << "the bare name, without folders";
        }
        EXPECT_EQ(archive.LoadByte(), 'y') << "the failed load consumed nothing";
    }
}

TEST(CXArchiveTest, ReadStringEndsLinesAtEachLineEndOrItsLimit) {
    TemporaryTree dir;
    Loading loading(dir, "abc\r\ndef\n\n0123456789abcdefghij\nxy\r\nz\rqr\nghi");
    CXArchive& archive = *loading.archive;
    char buffer[32];
    EXPECT_STREQ(archive.ReadString(buffer, 30), "abc");
    EXPECT_STREQ(archive.ReadString(buffer, 30), "def");
    EXPECT_STREQ(archive.ReadString(buffer, 30), "") << "an empty line is still a line";
    EXPECT_STREQ(archive.ReadString(buffer, 14), "0123456789abcd");
    EXPECT_STREQ(archive.ReadString(buffer, 14), "efghij") << "the rest of the line comes next";
    EXPECT_STREQ(archive.ReadString(buffer, 2), "xy");
    EXPECT_STREQ(archive.ReadString(buffer, -2), "\n") << "a CR at the limit's edge still takes its LF";
    EXPECT_STREQ(archive.ReadString(buffer, -5), "zq") << "a CR takes whatever byte follows it";
    std::string line;
    EXPECT_TRUE(archive.ReadString(line, -10));
    EXPECT_EQ(line, "r\n") << "a negative limit keeps the line end";
    EXPECT_STREQ(archive.ReadString(buffer, 30), "ghi") << "the last line needs no line end";
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(archive.ReadString(buffer, 30), nullptr);
    EXPECT_EQ(buffer[0], 'Z') << "buffer untouched";
    line = "kept";
    EXPECT_FALSE(archive.ReadString(line, 30));
    EXPECT_EQ(line, "kept");
}

TEST(CXArchiveTest, ReadStringFindsLineEndsSplitAcrossRefills) {
    TemporaryTree dir;
    // Byte 127 is the CR and byte 128 the LF: the line end straddles the first refill.
    const std::string first(127, 'a');
    const std::string contents = first + "\r\n" + "b\n" + std::string(124, 'c') + "\r";
    Loading loading(dir, contents, 128);
    CXArchive& archive = *loading.archive;
    char buffer[300];
    EXPECT_EQ(std::string(archive.ReadString(buffer, 200)), first);
    EXPECT_EQ(archive.GetByteCount(), 129u) << "the LF after the refill belongs to the same line end";
    EXPECT_STREQ(archive.ReadString(buffer, 200), "b");
    // A CR that is the buffer's last byte and the file's last byte: the refill finds the end.
    EXPECT_EQ(std::string(archive.ReadString(buffer, -200)), std::string(124, 'c') + "\r");
    EXPECT_EQ(archive.GetByteCount(), contents.size());
}

TEST(CXArchiveTest, ClosingALoadingArchiveReturnsUnconsumedBytesToTheFile) {
    TemporaryTree dir;
    Loading loading(dir, std::string(1000, 'q'));
    for (int i = 0; i < 10; ++i) loading.archive->LoadByte();
    EXPECT_EQ(loading.file->GetPosition(), 1000u) << "the whole file was read ahead";
    loading.archive->Close();
    EXPECT_EQ(loading.file->GetPosition(), 10u);
}

}  // namespace
}  // namespace twinseek
