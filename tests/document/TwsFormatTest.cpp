// The document file: the bytes a catalogue is stored as and loaded from, and
// the buffered archive that reads and writes them.
#include "document/CXArchive.h"
#include "document/Document.h"
#include "platform/CXException.h"
#include "tests/document/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using namespace twinseek::testing;

constexpr char kDigestA[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
constexpr char kDigestB[] = "77777777777777777777777777777777";

// A document in a scratch folder whose prompts are never expected to be asked.
struct TwsFormatTest : ::testing::Test {
    std::string Stored(Document& document, const std::string& name) {
        document.modified = true;
        document.path = dir.Path(name);
        EXPECT_TRUE(document.Save()) << (prompts.errors.empty() ? "" : prompts.errors.back());
        return ReadBytes(document.path);
    }

    TemporaryTree dir;
    ScriptedPrompts prompts;
};

TEST_F(TwsFormatTest, StoredBytesHoldEveryRecordInNameOrderWithSizesOfAllSixtyFourBitsAndLoadBackTheSame) {
    Document empty(prompts);
    EXPECT_EQ(Stored(empty, "empty.tws"), std::string(40, '\0') + "\n\n" + std::string(12, '\0'));

    Document document(prompts);
    for (const char* name : {"b", "\xC3\xA9", "a", "B", "ab"}) ScanFile(document, document.root, EntryNamed(name, 1, 0));
    ScanFolder(document.root, "Z");
    const std::vector<uint64_t> sizes = {0x100000000ull, 0x140000003ull, 0xFFFFFFFFFFFFFFFFull};
    FolderItem* big = ScanFolder(document.root, "m");
    for (size_t index = 0; index < sizes.size(); ++index)
        ScanFile(document, big, EntryNamed(Numbered("f", int(index)), sizes[index], 0));
    // Enough records to pass through the store buffer more than once.
    std::set<std::string> many;
    FolderItem* folder = ScanFolder(document.root, "z");
    for (int index = 0; index < 200; ++index) {
        many.insert(Numbered("n", index));
        ScanFile(document, folder, EntryNamed(Numbered("n", index), 7, 0));
    }
    document.CommitScan(true);

    TwsBytes expected;
    expected.Word(208).Root().Word(3).Folder("Z").Word(0).Word(0).Folder("m").Word(0).Word(3);
    for (size_t index = 0; index < sizes.size(); ++index) expected.File(Numbered("f", int(index)), sizes[index]);
    expected.Folder("z").Word(0).Word(200);
    for (const std::string& name : many) expected.File(name, 7);
    expected.Word(5);
    for (const char* name : {"B", "a", "ab", "b", "\xC3\xA9"}) expected.File(name, 1);
    ASSERT_GT(expected.bytes.size(), 8192u);
    EXPECT_EQ(Stored(document, "order.tws"), expected.bytes);

    // Loaded again, across the refills of the load buffer, it stores the same bytes.
    Document loaded(prompts);
    ASSERT_TRUE(loaded.OpenFile(dir.Path("order.tws")));
    EXPECT_EQ(loaded.root->FindFolder("m")->FindFile("f2")->Size(), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(Stored(loaded, "again.tws"), expected.bytes);
}

TEST_F(TwsFormatTest, FinishedFilesReturnToTheIndexAndTheHookAndRepeatedNamesAreDropped) {
    TwsBytes crafted;
    crafted.Word(8).Root().Word(2).Folder("x").Word(0).Word(3);
    crafted.File("u", 10, Queued).File("p", 10, Finished, 7, kDigestA).File("q", 10, NotCompared);  // out of order
    crafted.Folder("x").Word(1).Folder("e").Word(0).Word(1).File("deep", 7);
    crafted.Word(1).File("y", 2, Finished, 1, kDigestA);
    crafted.Word(4).File("r", 10, Finished, 9, kDigestA).File("s", 20, Finished, 11, kDigestB);
    crafted.File("t", 10, Finished, 3, kUnopenableText).File("r", 4);
    WriteBytes(dir.Path("crafted.tws"), crafted.bytes);

    Document document(prompts);
    std::vector<std::pair<std::string, uint32_t>> finished;
    document.onFinishedLoaded = [&](FileItem* file, uint32_t millis) { finished.emplace_back(file->Name(), millis); };
    ASSERT_TRUE(document.OpenFile(dir.Path("crafted.tws")));
    using Listed = std::vector<std::pair<std::string, uint32_t>>;
    EXPECT_EQ(finished, (Listed{{"p", 7}, {"r", 9}, {"s", 11}, {"t", 3}})) << "load order, hashMillis as time";
    FolderItem* folder = document.root->FindFolder("x");
    EXPECT_EQ(folder->FindFile("u")->compareState, NotCompared) << "Queued is not kept";
    std::string names;
    for (const FileItem* file : folder->Files()) names += file->Name();
    EXPECT_EQ(names, "pqu") << "records are kept in name order whatever order they come in";
    EXPECT_EQ(document.root->ChildFolders().size(), 1u);
    EXPECT_EQ(folder->FindFolder("e"), nullptr) << "a repeated folder is dropped with its contents";
    EXPECT_EQ(folder->FindFile("y"), nullptr);
    EXPECT_EQ(document.root->FindFile("r")->Size(), 10u) << "the first record keeps the name";
    EXPECT_EQ(document.catalog.Count(), 6u) << "nothing of a dropped record is catalogued";

    std::vector<std::pair<uint64_t, std::string>> keys;
    document.duplicates.ForEachKey([&](uint64_t size, std::string_view key) { keys.emplace_back(size, key); });
    using Keys = std::vector<std::pair<uint64_t, std::string>>;
    EXPECT_EQ(keys, (Keys{{20, std::string("20") + kDigestB}, {10, std::string("10") + kDigestA}}))
        << "neither the not compared nor the unreadable file is indexed";
    EXPECT_EQ(document.duplicates.FileCount(), 3u);
}

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
            EXPECT_EQ(error.GetErrorMessage(),
                      "End of archive file exception: the document ends at byte 803, before its last record")
                << "1 + 200 * 4 bytes read, and 2 more";
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
