#include "doc/Document.h"

#include "tests/doc/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
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

TEST_F(TwsFormatTest, StoredBytesHoldEveryRecordInByteWiseNameOrderWithSizesOfAllSixtyFourBits) {
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
}

TEST_F(TwsFormatTest, LoadedDocumentHasEveryFieldBackAndStoresToTheSameBytes) {
    Document original(prompts);
    FolderItem* music = ScanFolder(ScanFolder(original.root, "home"), "Music");
    ScanFolder(original.root, "empty");
    FindData song = EntryNamed("song.mp3", 4'000'000, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    std::strcpy(song.cAlternateFileName, "SONG~1.MP3");
    song.ftCreationTime = FileTime::FromValue(0x01D9A1B2C3D4E5F6ull);
    song.ftLastAccessTime = FileTime::FromValue(0x01DA000011112222ull);
    song.ftLastWriteTime = FileTime::FromValue(0x01D8FFFF00001234ull);
    FileItem* first = ScanFile(original, music, song);
    ScanFile(original, original.root, EntryNamed("huge", 0x140000003ull));
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
    EXPECT_EQ(loadedSong->GetFindData().ftLastWriteTime.Value(), 0x01D8FFFF00001234ull);
    EXPECT_EQ(loaded.root->FindFile("huge")->Size(), 0x140000003ull);
    EXPECT_EQ(Stored(loaded, "again.tws"), bytes);
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

}  // namespace
}  // namespace twinseek
