#include "doc/CXArchive.h"

#include "platform/CXException.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace twinseek {
namespace {

using TempDir = testing::TemporaryTree;

// A file whose every read delivers at most two bytes, as a pipe or network file may.
class TricklingFile : public CXFile {
public:
    size_t Read(void* buffer, size_t count) override { return CXFile::Read(buffer, std::min<size_t>(count, 2)); }
};

void WriteFileContents(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::string FileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

uint64_t FileSize(const std::string& path) { return std::filesystem::file_size(path); }

TEST(CXArchiveTest, StoredWordsWaitInTheBufferUntilItOverflows) {
    TempDir dir;
    std::string path = dir.Path("words.tws");
    CXFile file;
    file.Open(path, CXFile::Access::Write, CXFile::Creation::CreateAlways);
    {
        CXArchive archive(&file, CXArchive::Store);
        EXPECT_TRUE(archive.IsStoring());
        for (uint32_t i = 0; i < 1024; ++i) archive.StoreWord(i * 0x01010101u);
        EXPECT_EQ(FileSize(path), 0u) << "4096 bytes fit the buffer exactly";
        archive.StoreWord(0xA1B2C3D4u);
        EXPECT_EQ(FileSize(path), 4096u) << "the next word writes the full buffer first";
        archive.StoreByte(0x7F);
        EXPECT_EQ(archive.GetByteCount(), 4101u);
    }  // the destructor flushes the rest
    file.Close();
    std::string contents = FileContents(path);
    ASSERT_EQ(contents.size(), 4101u);
    EXPECT_EQ(contents.substr(4, 4), std::string("\x01\x01\x01\x01", 4));
    EXPECT_EQ(contents.substr(4096), std::string("\xD4\xC3\xB2\xA1\x7F", 5)) << "little-endian";

    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive loading(&file, CXArchive::Load);
    EXPECT_FALSE(loading.IsStoring());
    for (uint32_t i = 0; i < 1024; ++i) ASSERT_EQ(loading.LoadWord(), i * 0x01010101u);
    EXPECT_EQ(loading.LoadWord(), 0xA1B2C3D4u);
    EXPECT_EQ(loading.LoadByte(), 0x7F);
}

TEST(CXArchiveTest, LongWritesGoStraightToTheFileInWholeBuffers) {
    TempDir dir;
    std::string path = dir.Path("run.tws");
    CXFile file;
    file.Open(path, CXFile::Access::Write, CXFile::Creation::CreateAlways);
    std::string run(300, '\0');
    for (size_t i = 0; i < run.size(); ++i) run[i] = char('A' + i % 26);

    CXArchive archive(&file, CXArchive::Store, 128);
    archive.WriteString("head:head:");
    archive.Write(run.data(), uint32_t(run.size()));
    // 118 bytes fill the buffer (written: 128), 128 more go direct, 54 wait.
    EXPECT_EQ(FileSize(path), 256u);
    archive.Write("", 0);
    archive.WriteString(std::string_view("!"));
    archive.Close();
    EXPECT_EQ(FileSize(path), 311u);
    EXPECT_EQ(FileContents(path), "head:head:" + run + "!");
    EXPECT_EQ(archive.GetByteCount(), 311u);
}

TEST(CXArchiveTest, BufferSmallerThanTheMinimumIsReplaced) {
    TempDir dir;
    std::string path = dir.Path("small.tws");
    CXFile file;
    file.Open(path, CXFile::Access::Write, CXFile::Creation::CreateAlways);
    // A 16-byte buffer would overflow here if it were used (the sanitizer build would see it).
    uint8_t tiny[16] = {};
    {
        CXArchive archive(&file, CXArchive::Store, sizeof tiny, tiny);
        for (uint32_t i = 0; i < 30; ++i) archive.StoreWord(i);
        EXPECT_EQ(FileSize(path), 0u) << "120 bytes stay in the 128-byte replacement";
    }
    EXPECT_EQ(FileSize(path), 120u);

    // A large enough caller buffer is used in place.
    std::vector<uint8_t> own(256);
    CXArchive archive(&file, CXArchive::Store | CXArchive::NoFlushOnDelete, 256, own.data());
    archive.StoreWord(0x44434241u);
    EXPECT_EQ(std::memcmp(own.data(), "ABCD", 4), 0);
}

TEST(CXArchiveTest, WordsAcrossARefillAreJoinedFromBothReads) {
    TempDir dir;
    std::string path = dir.Path("straddle.tws");
    std::string contents = "x";
    for (uint32_t i = 0; i < 200; ++i) {
        uint32_t value = i * 2654435761u;
        for (int shift = 0; shift < 32; shift += 8) contents += char(value >> shift);
    }
    WriteFileContents(path, contents);

    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    {
        // With a 128-byte buffer and one odd byte first, words straddle every refill.
        CXArchive archive(&file, CXArchive::Load, 128);
        EXPECT_EQ(archive.LoadByte(), 'x');
        for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(archive.LoadWord(), i * 2654435761u) << "word " << i;
    }

    TricklingFile trickle;
    trickle.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&trickle, CXArchive::Load, 128);
    EXPECT_EQ(archive.LoadByte(), 'x');
    for (uint32_t i = 0; i < 200; ++i)
        ASSERT_EQ(archive.LoadWord(), i * 2654435761u) << "a short read is not the end, word " << i;
}

TEST(CXArchiveTest, LoadingPastTheEndThrowsEndOfFileNamingTheFile) {
    TempDir dir;
    std::string path = dir.Path("short.tws");
    WriteFileContents(path, std::string("\x01\x00\x00\x00\x02\x00", 6));
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load);
    EXPECT_EQ(archive.LoadWord(), 1u);
    try {
        archive.LoadWord();
        FAIL() << "a word two bytes short loaded";
    } catch (const CXArchiveException& error) {
        EXPECT_EQ(error.GetCause(), 3u);
        EXPECT_EQ(error.GetErrorMessage(), "End of archive file exception");
        EXPECT_EQ(error.fileName, "short.tws") << "the bare name, without folders";
    }
    // The failed load consumed nothing: the two bytes are still there, then the end.
    EXPECT_EQ(archive.LoadByte(), 0x02);
    EXPECT_EQ(archive.LoadByte(), 0x00);
    EXPECT_THROW(archive.LoadByte(), CXException);
}

TEST(CXArchiveTest, ReadStringSplitsLinesAtEachKindOfLineEnd) {
    TempDir dir;
    std::string path = dir.Path("lines.tws");
    WriteFileContents(path, "abc\r\ndef\n\nghi\r");
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load);
    char buffer[32];
    EXPECT_STREQ(archive.ReadString(buffer, 30), "abc");
    EXPECT_STREQ(archive.ReadString(buffer, 30), "def");
    EXPECT_STREQ(archive.ReadString(buffer, 30), "") << "an empty line is still a line";
    EXPECT_EQ(archive.ReadString(buffer, 30), buffer);
    EXPECT_STREQ(buffer, "ghi") << "a CR as the last byte still ends its line";
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(archive.ReadString(buffer, 30), nullptr);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'Z')) << "buffer untouched";
    std::string line = "kept";
    EXPECT_FALSE(archive.ReadString(line, 30));
    EXPECT_EQ(line, "kept");
}

TEST(CXArchiveTest, ReadStringLimitsLengthAndCanKeepTheLineEnd) {
    TempDir dir;
    std::string path = dir.Path("limits.tws");
    WriteFileContents(path, "0123456789abcdefghij\nab\r\nxy\ntail");
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load);
    char buffer[32];
    EXPECT_STREQ(archive.ReadString(buffer, 14), "0123456789abcd");
    EXPECT_STREQ(archive.ReadString(buffer, 14), "efghij") << "the rest of the line comes next";
    EXPECT_STREQ(archive.ReadString(buffer, -10), "ab\n") << "the byte after a CR is kept";
    std::string line;
    EXPECT_TRUE(archive.ReadString(line, -10));
    EXPECT_EQ(line, "xy\n");
    EXPECT_STREQ(archive.ReadString(buffer, -10), "tail") << "the last line needs no line end";
    EXPECT_EQ(archive.ReadString(buffer, 10), nullptr);
}

TEST(CXArchiveTest, ClosingALoadingArchiveReturnsUnconsumedBytesToTheFile) {
    TempDir dir;
    std::string path = dir.Path("rest.tws");
    std::string contents(1000, 'q');
    contents[10] = 'R';
    WriteFileContents(path, contents);
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load);
    for (int i = 0; i < 10; ++i) archive.LoadByte();
    EXPECT_EQ(file.GetPosition(), 1000u) << "the whole file was read ahead";
    archive.Close();
    EXPECT_EQ(file.GetPosition(), 10u);
    char next = 0;
    EXPECT_EQ(file.Read(&next, 1), 1u);
    EXPECT_EQ(next, 'R');
}

TEST(CXArchiveTest, DestructorFlushesUnlessToldNotToAndSwallowsFailure) {
    TempDir dir;
    std::string path = dir.Path("drop.tws");
    CXFile file;
    file.Open(path, CXFile::Access::Write, CXFile::Creation::CreateAlways);
    {
        CXArchive archive(&file, CXArchive::Store | CXArchive::NoFlushOnDelete);
        archive.WriteString("lost");
    }
    EXPECT_EQ(FileSize(path), 0u);
    file.Close();

    // Storing through a read-only file: Close reports the failed write, the destructor cannot.
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    {
        CXArchive archive(&file, CXArchive::Store);
        archive.WriteString("refused");
        try {
            archive.Close();
            FAIL() << "writing to a read-only file succeeded";
        } catch (const CXFileException& error) {
            EXPECT_EQ(error.GetCause(), uint32_t(EBADF));
        }
    }
    {
        CXArchive archive(&file, CXArchive::Store);
        archive.WriteString("refused");
        // Leaving the scope must not throw although the flush fails.
    }
    EXPECT_EQ(FileSize(path), 0u);
}

// What ReadString promises, worked out on the bytes in memory: the next line
// from position on, or nothing when no byte is left (and the limit is not 0).
std::optional<std::string> ExpectedLine(const std::string& bytes, size_t& position, int max) {
    size_t limit = size_t(max < 0 ? -int64_t(max) : max);
    bool keepLineEnd = max < 0;
    if (limit == 0) return std::string();
    if (position == bytes.size()) return std::nullopt;
    std::string line;
    while (line.size() < limit && position < bytes.size()) {
        char value = bytes[position++];
        if (value == '\r') {
            if (position < bytes.size()) value = bytes[position++];
            if (keepLineEnd) line += value;
            break;
        }
        if (value == '\n') {
            if (keepLineEnd) line += value;
            break;
        }
        line += value;
    }
    return line;
}

TEST(CXArchiveTest, ReadStringFindsLineEndsSplitAcrossRefills) {
    TempDir dir;
    std::string path = dir.Path("split.tws");
    // Byte 127 is the CR and byte 128 the LF: the line end straddles the first refill.
    std::string first(127, 'a');
    std::string contents = first + "\r\n" + "b\n" + std::string(124, 'c') + "\r";
    WriteFileContents(path, contents);
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load, 128);
    char buffer[300];
    EXPECT_EQ(std::string(archive.ReadString(buffer, 200)), first);
    EXPECT_EQ(archive.GetByteCount(), 129u) << "the LF after the refill belongs to the same line end";
    EXPECT_STREQ(archive.ReadString(buffer, 200), "b");
    // A CR that is the buffer's last byte and the file's last byte: the refill finds the end.
    EXPECT_EQ(std::string(archive.ReadString(buffer, -200)), std::string(124, 'c') + "\r");
    EXPECT_EQ(archive.GetByteCount(), contents.size());
    EXPECT_EQ(archive.ReadString(buffer, 200), nullptr);
}

TEST(CXArchiveTest, ReadStringStopsAtItsLimitBeforeTheLineEnd) {
    TempDir dir;
    std::string path = dir.Path("limit.tws");
    WriteFileContents(path, "abcd\nxy\r\nz\rqr\n");
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load);
    char buffer[16];
    EXPECT_STREQ(archive.ReadString(buffer, 4), "abcd");
    EXPECT_STREQ(archive.ReadString(buffer, 4), "") << "the LF was left for the next line";
    EXPECT_STREQ(archive.ReadString(buffer, 2), "xy");
    EXPECT_STREQ(archive.ReadString(buffer, -2), "\n") << "a CR at the limit's edge still takes its LF";
    EXPECT_STREQ(archive.ReadString(buffer, -5), "zq") << "a CR takes whatever byte follows it";
    EXPECT_STREQ(archive.ReadString(buffer, 0), "") << "a limit of 0 reads nothing";
    EXPECT_STREQ(archive.ReadString(buffer, 5), "r");
    EXPECT_STREQ(archive.ReadString(buffer, 0), "") << "not even at the end";
    EXPECT_EQ(archive.ReadString(buffer, 5), nullptr);
}

TEST(CXArchiveTest, ReadStringAgreesWithItsRulesOnAnyBytesAndReads) {
    TempDir dir;
    std::string path = dir.Path("mixed.tws");
    // Short and long lines of every kind of line end, with zero bytes in them.
    std::mt19937 random(5);
    std::string contents;
    const char alphabet[] = {'a', 'b', '\r', '\n', '\0', char(0xE9)};
    while (contents.size() < 5000) {
        if (random() % 8 == 0) contents.append(random() % 300, 'L');
        contents += alphabet[random() % sizeof alphabet];
    }
    WriteFileContents(path, contents);

    const int limits[] = {1, 2, 3, 7, 40, 300, -1, -2, -5, -40, -300, 0};
    for (bool trickling : {false, true}) {
        std::unique_ptr<CXFile> file = trickling ? std::make_unique<TricklingFile>() : std::make_unique<CXFile>();
        file->Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
        CXArchive archive(file.get(), CXArchive::Load, 128);
        size_t position = 0;
        for (int call = 0;; ++call) {
            int max = limits[call % std::size(limits)];
            std::optional<std::string> expected = ExpectedLine(contents, position, max);
            std::vector<char> buffer(size_t(std::abs(max)) + 1, 'Z');
            std::string text = "kept";
            bool intoString = call / std::size(limits) % 2 == 1;
            bool read = intoString ? archive.ReadString(text, max) : archive.ReadString(buffer.data(), max) != nullptr;
            ASSERT_EQ(read, expected.has_value()) << "call " << call << (trickling ? " trickling" : "");
            if (!read) {
                EXPECT_EQ(text, "kept");
                break;
            }
            if (!intoString) {
                // The line may hold zero bytes: its length is where the terminator was put.
                ASSERT_LE(expected->size(), size_t(std::abs(max)));
                EXPECT_EQ(buffer[expected->size()], '\0');
                text.assign(buffer.data(), expected->size());
            }
            ASSERT_EQ(text, *expected) << "call " << call << (trickling ? " trickling" : "");
            ASSERT_EQ(archive.GetByteCount(), position) << "call " << call;
        }
        EXPECT_EQ(position, contents.size());
    }
}

TEST(CXArchiveTest, ReadStringPassesFileErrorsOn) {
    TempDir dir;
    std::string path = dir.Path("failing.tws");
    WriteFileContents(path, std::string(200, 'x') + "\n");
    // A file whose second read fails, as a vanished network share would.
    class FailingFile : public CXFile {
    public:
        size_t Read(void* buffer, size_t count) override {
            if (++reads > 1) throw CXFileException(EIO);
            return CXFile::Read(buffer, count);
        }
        int reads = 0;
    } file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load, 128);
    char buffer[300];
    try {
        archive.ReadString(buffer, 290);
        FAIL() << "a failed read ended the line";
    } catch (const CXFileException& error) {
        EXPECT_EQ(error.GetCause(), uint32_t(EIO));
    }
}

}  // namespace
}  // namespace twinseek
