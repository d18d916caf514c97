#include "doc/Document.h"

#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
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
    bool LoadBytes(Document& document, const std::string& bytes) {
        WriteBytes(dir.Path("crafted.tws"), bytes);
        return document.OpenFile(dir.Path("crafted.tws"));
    }

    TemporaryTree dir;
    ScriptedPrompts prompts;
};

TEST_F(TwsFormatTest, EmptyCatalogueAndSingleFileHaveTheirExactBytes) {
    Document empty(prompts);
    const std::string header = std::string(40, '\0') + "\n\n" + std::string(4, '\0');
    EXPECT_EQ(Stored(empty, "empty.tws"), header + std::string(8, '\0'));
    EXPECT_EQ(header.size() + 8, 54u);

    Document single(prompts);
    ScanFile(single, single.root, Entry("a", 5, 0));
    single.CommitScan(true);
    std::string record = std::string(32, '\0') + "\x05" + std::string(3, '\0') + "a\n\n" + std::string(8, '\0') + "\n";
    ASSERT_EQ(record.size(), 48u);
    EXPECT_EQ(Stored(single, "a.tws"), std::string("\x01\0\0\0", 4) + header.substr(4) +
                                           std::string("\0\0\0\0\x01\0\0\0", 8) + record);
}

TEST_F(TwsFormatTest, SizesOfFourGibibytesAndMoreRoundTrip) {
    const std::vector<uint64_t> sizes = {0x100000000ull, 0x140000003ull, 0xFFFFFFFFFFFFFFFFull};
    Document document(prompts);
    for (size_t index = 0; index < sizes.size(); ++index)
        ScanFile(document, document.root, Entry("f" + std::to_string(index), sizes[index], 0));
    document.CommitScan(true);
    TwsBytes expected;
    expected.Word(3).Root().Word(0).Word(3);
    for (size_t index = 0; index < sizes.size(); ++index) expected.File("f" + std::to_string(index), sizes[index]);
    EXPECT_EQ(Stored(document, "big.tws"), expected.bytes);

    Document loaded(prompts);
    ASSERT_TRUE(loaded.OpenFile(document.path));
    for (size_t index = 0; index < sizes.size(); ++index) {
        FileItem* file = loaded.root->FindFile("f" + std::to_string(index));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->Size(), sizes[index]);
    }
}

TEST_F(TwsFormatTest, RecordsAreStoredInByteWiseNameOrder) {
    Document document(prompts);
    for (const char* name : {"b", "\xC3\xA9", "a", "B", "ab"}) ScanFile(document, document.root, Entry(name, 1, 0));
    for (const char* name : {"z", "Z", "m"}) ScanFolder(document.root, name);
    document.CommitScan(true);

    TwsBytes expected;
    expected.Word(5).Root().Word(3);
    for (const char* name : {"Z", "m", "z"}) expected.Folder(name).Word(0).Word(0);
    expected.Word(5);
    for (const char* name : {"B", "a", "ab", "b", "\xC3\xA9"}) expected.File(name, 1);
    EXPECT_EQ(Stored(document, "order.tws"), expected.bytes);
}

TEST_F(TwsFormatTest, LoadedDocumentStoresBackToTheSameBytes) {
    Document original(prompts);
    FolderItem* music = ScanFolder(ScanFolder(original.root, "home"), "Music");
    ScanFolder(original.root, "empty");
    FindData song = Entry("song.mp3", 4'000'000, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    std::strcpy(song.cAlternateFileName, "SONG~1.MP3");
    song.ftCreationTime = FileTime::FromValue(0x01D9A1B2C3D4E5F6ull);
    song.ftLastAccessTime = FileTime::FromValue(0x01DA000011112222ull);
    song.ftLastWriteTime = FileTime::FromValue(0x01D8FFFF00001234ull);
    FileItem* first = ScanFile(original, music, song);
    ScanFile(original, original.root, Entry("top", 0));
    original.CommitScan(true);
    first->SetDigestText(kDigestA);
    first->hashMillis = 1500;
    first->compareState = Finished;
    std::string bytes = Stored(original, "varied.tws");

    Document loaded(prompts);
    ASSERT_TRUE(loaded.OpenFile(original.path));
    FileItem* loadedSong = loaded.root->FindFolder("home")->FindFolder("Music")->FindFile("song.mp3");
    ASSERT_NE(loadedSong, nullptr);
    EXPECT_EQ(loadedSong->AlternateName(), "SONG~1.MP3");
    EXPECT_EQ(loadedSong->DigestText(), kDigestA);
    EXPECT_EQ(Stored(loaded, "again.tws"), bytes);
}

TEST_F(TwsFormatTest, FinishedFilesReturnToTheDuplicateIndexAndTheFinishedHook) {
    TwsBytes crafted;
    crafted.Word(6).Root().Word(1).Folder("x").Word(0).Word(3);
    crafted.File("p", 10, Finished, 7, kDigestA).File("q", 10, NotCompared).File("u", 10, Queued);
    crafted.Word(3).File("r", 10, Finished, 9, kDigestA).File("s", 20, Finished, 11, kDigestB);
    crafted.File("t", 10, Finished, 3, kUnopenableText);

    Document document(prompts);
    std::vector<std::pair<std::string, uint32_t>> finished;
    document.onFinishedLoaded = [&](FileItem* file, uint32_t millis) { finished.emplace_back(file->Name(), millis); };
    ASSERT_TRUE(LoadBytes(document, crafted.bytes));
    using Listed = std::vector<std::pair<std::string, uint32_t>>;
    EXPECT_EQ(finished, (Listed{{"p", 7}, {"r", 9}, {"s", 11}, {"t", 3}})) << "load order, hashMillis as time";
    EXPECT_EQ(document.catalog.Count(), 6u);
    EXPECT_EQ(document.root->FindFolder("x")->FindFile("u")->compareState, NotCompared) << "Queued is not kept";

    std::vector<std::pair<uint64_t, std::string>> keys;
    document.duplicates.ForEachKey([&](uint64_t size, std::string_view key) { keys.emplace_back(size, key); });
    using Keys = std::vector<std::pair<uint64_t, std::string>>;
    EXPECT_EQ(keys, (Keys{{20, std::string("20") + kDigestB}, {10, std::string("10") + kDigestA}}))
        << "neither the not compared nor the unreadable file is indexed";
    EXPECT_EQ(document.duplicates.FileCount(), 3u);
}

TEST_F(TwsFormatTest, RecordsWhoseNameRepeatsAreDropped) {
    TwsBytes crafted;
    crafted.Word(5).Root().Word(2);
    crafted.Folder("d").Word(0).Word(1).File("x", 1, Finished, 1, kDigestA);
    crafted.Folder("d").Word(1).Folder("e").Word(0).Word(1).File("deep", 7);
    crafted.Word(1).File("y", 2, Finished, 1, kDigestA);
    crafted.Word(2).File("a", 3).File("a", 4);

    Document document(prompts);
    ASSERT_TRUE(LoadBytes(document, crafted.bytes));
    ASSERT_EQ(document.root->ChildFolders().size(), 1u);
    FolderItem* folder = document.root->FindFolder("d");
    EXPECT_NE(folder->FindFile("x"), nullptr);
    EXPECT_EQ(folder->FindFile("y"), nullptr);
    EXPECT_EQ(folder->FindFolder("e"), nullptr);
    EXPECT_EQ(document.root->FindFile("a")->Size(), 3u) << "the first record keeps the name";
    EXPECT_EQ(document.catalog.Count(), 2u) << "nothing of a dropped record is catalogued";
    EXPECT_EQ(document.duplicates.FileCount(), 1u);
}

}  // namespace
}  // namespace twinseek
