#include "doc/Document.h"

#include "DocumentTestSupport.h"
#include "doc/TwsFormat.h"
#include "platform/CXException.h"
#include "platform/CXFile.h"

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
struct DocumentFixture : ::testing::Test {
    std::string Stored(Document& document, const std::string& name) {
        document.modified = true;
        document.path = dir.Path(name);
        EXPECT_TRUE(document.Save()) << (prompts.errors.empty() ? "" : prompts.errors.back());
        EXPECT_FALSE(document.modified);
        return ReadBytes(document.path);
    }
    bool LoadBytes(Document& document, const std::string& bytes, const std::string& name = "crafted.tws") {
        WriteBytes(dir.Path(name), bytes);
        return document.OpenFile(dir.Path(name));
    }

    TempDir dir;
    ScriptedPrompts prompts;
};

using TwsFormatTest = DocumentFixture;

TEST_F(TwsFormatTest, EmptyCatalogueIsFiftyFourBytes) {
    Document document(prompts);
    std::string bytes = Stored(document, "empty.tws");
    std::string expected = std::string(40, '\0') + "\n\n" + std::string(12, '\0');
    EXPECT_EQ(bytes.size(), 54u);
    EXPECT_EQ(bytes, expected);

    Document loaded(prompts);
    ASSERT_TRUE(loaded.OpenFile(document.path));
    EXPECT_TRUE(loaded.root->ChildFolders().empty());
    EXPECT_TRUE(loaded.root->Files().empty());
    EXPECT_EQ(loaded.catalog.Count(), 0u);
    EXPECT_FALSE(loaded.modified);
}

TEST_F(TwsFormatTest, SingleFileRecordIsFortyEightBytes) {
    Document document(prompts);
    ScanFile(document, document.root, Entry("a", 5, 0));
    document.CommitScan(true);
    std::string bytes = Stored(document, "a.tws");

    std::string record = std::string(28, '\0') + std::string("\0\0\0\0\x05\0\0\0", 8) + "a\n" + "\n" +
                         std::string(8, '\0') + "\n";
    ASSERT_EQ(record.size(), 48u);
    ASSERT_EQ(bytes.size(), 4u + 42u + 4u + 4u + 48u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x01\0\0\0", 4)) << "totalFiles";
    EXPECT_EQ(bytes.substr(46, 8), std::string("\0\0\0\0\x01\0\0\0", 8)) << "no folders, one file";
    EXPECT_EQ(bytes.substr(54), record);
}

TEST_F(TwsFormatTest, SizesOfFourGibibytesAndMoreKeepBothHalves) {
    const std::vector<uint64_t> sizes = {0x100000000ull, 0x140000003ull, 0xFFFFFFFFFFFFFFFFull};
    Document document(prompts);
    FolderItem* folder = ScanFolder(document.root, "big");
    for (size_t index = 0; index < sizes.size(); ++index)
        ScanFile(document, folder, Entry("f" + std::to_string(index), sizes[index]));
    document.CommitScan(true);
    std::string bytes = Stored(document, "big.tws");

    TwsBytes expected;
    expected.Word(3).Root().Word(1).Item("big", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(0).Word(3);
    for (size_t index = 0; index < sizes.size(); ++index) {
        expected.Word(FILE_ATTRIBUTE_NORMAL).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0);
        expected.Word(uint32_t(sizes[index] >> 32)).Word(uint32_t(sizes[index]));
        expected.Line("f" + std::to_string(index)).Line("").Word(0).Word(0).Line("");
    }
    expected.Word(0);
    EXPECT_EQ(bytes, expected.bytes);

    Document loaded(prompts);
    ASSERT_TRUE(loaded.OpenFile(document.path));
    FolderItem* loadedFolder = loaded.root->FindFolder("big");
    ASSERT_NE(loadedFolder, nullptr);
    for (size_t index = 0; index < sizes.size(); ++index) {
        FileItem* file = loadedFolder->FindFile("f" + std::to_string(index));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->Size(), sizes[index]);
    }
    EXPECT_EQ(loaded.catalog.All().front().size, 0xFFFFFFFFFFFFFFFFull);
}

TEST_F(TwsFormatTest, RecordsAreStoredInByteWiseNameOrder) {
    Document document(prompts);
    for (const char* name : {"b", "\xC3\xA9", "a", "B", "ab"}) ScanFile(document, document.root, Entry(name, 1, 0));
    for (const char* name : {"z", "Z", "m"}) ScanFolder(document.root, name);
    document.CommitScan(true);
    std::string bytes = Stored(document, "order.tws");

    TwsBytes expected;
    expected.Word(5).Root().Word(3);
    for (const char* name : {"Z", "m", "z"}) expected.Item(name, 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(0).Word(0);
    expected.Word(5);
    for (const char* name : {"B", "a", "ab", "b", "\xC3\xA9"}) expected.File(name, 1);
    EXPECT_EQ(bytes, expected.bytes);
}

// A catalogue with some of everything a document holds.
void BuildVariedCatalogue(Document& document) {
    FolderItem* music = ScanFolder(ScanFolder(ScanFolder(document.root, "home"), "ann"), "Music");
    FolderItem* photos = ScanFolder(document.root->FindFolder("home")->FindFolder("ann"), "Photos");
    ScanFolder(document.root, "empty");
    FindData song = Entry("song.mp3", 4'000'000);
    std::strcpy(song.cAlternateFileName, "SONG~1.MP3");
    song.ftCreationTime = FileTime::FromValue(0x01D9A1B2C3D4E5F6ull);
    song.ftLastAccessTime = FileTime::FromValue(0x01DA000011112222ull);
    song.ftLastWriteTime = FileTime::FromValue(0x01D8FFFF00001234ull);
    song.dwFileAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    FileItem* first = ScanFile(document, music, song);
    FileItem* second = ScanFile(document, photos, Entry("copy.mp3", 4'000'000));
    FileItem* unread = ScanFile(document, photos, Entry("locked", 4'000'000));
    ScanFile(document, photos, Entry("fresh.jpg", 123'456));
    ScanFile(document, document.root, Entry("top", 0));
    document.CommitScan(true);
    Finish(first, kDigestA, 1500);
    Finish(second, kDigestA, 1200);
    Finish(unread, kUnopenableText, 3);
}

TEST_F(TwsFormatTest, LoadedDocumentStoresBackToTheSameBytes) {
    Document original(prompts);
    BuildVariedCatalogue(original);
    std::string bytes = Stored(original, "varied.tws");

    Document loaded(prompts);
    ASSERT_TRUE(loaded.OpenFile(original.path));
    FileItem* song = loaded.root->FindFolder("home")->FindFolder("ann")->FindFolder("Music")->FindFile("song.mp3");
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->AlternateName(), "SONG~1.MP3");
    EXPECT_EQ(song->findData.ftCreationTime.Value(), 0x01D9A1B2C3D4E5F6ull);
    EXPECT_EQ(song->findData.ftLastAccessTime.Value(), 0x01DA000011112222ull);
    EXPECT_EQ(song->LastWriteTime().Value(), 0x01D8FFFF00001234ull);
    EXPECT_EQ(song->findData.dwFileAttributes, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(song->hashMillis, 1500u);
    EXPECT_EQ(song->DigestText(), kDigestA);
    EXPECT_EQ(song->GetFullPath(), "home/ann/Music/song.mp3");
    EXPECT_EQ(loaded.catalog.Count(), 5u);

    EXPECT_EQ(Stored(loaded, "again.tws"), bytes);
}

TEST_F(TwsFormatTest, RootRecordIsLoadedIntoTheRootAndStoredBack) {
    TwsBytes crafted;
    crafted.Word(1).Item("top", 0, 0, FILE_ATTRIBUTE_DIRECTORY, "TOP", 0x0123456789ABCDEFull).Word(0).Word(1);
    crafted.File("inside", 9);
    Document document(prompts);
    ASSERT_TRUE(LoadBytes(document, crafted.bytes));
    EXPECT_EQ(document.root->Name(), "top");
    EXPECT_EQ(document.root->AlternateName(), "TOP");
    EXPECT_EQ(document.root->LastWriteTime().Value(), 0x0123456789ABCDEFull);
    EXPECT_EQ(document.root->GetFullPath(), "") << "the root's path stays empty";
    EXPECT_EQ(Stored(document, "again.tws"), crafted.bytes);

    document.modified = false;
    document.New();
    EXPECT_EQ(document.root->Name(), "") << "a new document starts from a blank root";
}

TEST_F(TwsFormatTest, FinishedFilesReturnToTheDuplicateIndexAndTheFinishedList) {
    TwsBytes crafted;
    crafted.Word(5).Root().Word(1);
    crafted.Item("x", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(0).Word(2);
    crafted.File("p", 10, Finished, 7, kDigestA).File("q", 10, NotCompared, 0, "");
    crafted.Word(3).File("r", 10, Finished, 9, kDigestA).File("s", 20, Finished, 11, kDigestB);
    crafted.File("t", 10, Finished, 3, kUnopenableText);

    Document document(prompts);
    std::vector<std::pair<std::string, uint32_t>> finished;
    document.onFinishedLoaded = [&](FileItem* file, uint32_t millis) {
        finished.emplace_back(std::string(file->Name()), millis);
    };
    ASSERT_TRUE(LoadBytes(document, crafted.bytes));

    using Listed = std::vector<std::pair<std::string, uint32_t>>;
    EXPECT_EQ(finished, (Listed{{"p", 7}, {"r", 9}, {"s", 11}, {"t", 3}})) << "load order, hashMillis as time";
    EXPECT_EQ(document.catalog.Count(), 5u) << "every file is catalogued";

    std::vector<std::pair<uint64_t, std::string>> keys;
    document.duplicates.ForEachKey([&](uint64_t size, std::string_view key) { keys.emplace_back(size, key); });
    using Keys = std::vector<std::pair<uint64_t, std::string>>;
    EXPECT_EQ(keys, (Keys{{20, std::string("20") + kDigestB}, {10, std::string("10") + kDigestA}}))
        << "neither the not compared nor the unreadable file is indexed";
    std::vector<std::string> group;
    auto [first, last] = document.duplicates.Files(std::string("10") + kDigestA);
    for (auto it = first; it != last; ++it) group.emplace_back((*it)->Name());
    EXPECT_EQ(group, (std::vector<std::string>{"p", "r"}));
}

TEST_F(TwsFormatTest, OnlyFinishedFilesStayComparedAfterLoading) {
    TwsBytes crafted;
    crafted.Word(5).Root().Word(1).Item("scan", 0, Provisional, FILE_ATTRIBUTE_DIRECTORY).Word(0).Word(5);
    crafted.File("digested", 1, Digested, 4, kDigestA).File("odd", 1, 42).File("provisional", 1, Provisional);
    crafted.File("queued", 1, Queued).File("waiting", 1, NotCompared);
    crafted.Word(0);

    Document document(prompts);
    int finishedCalls = 0;
    document.onFinishedLoaded = [&](FileItem*, uint32_t) { ++finishedCalls; };
    ASSERT_TRUE(LoadBytes(document, crafted.bytes));
    FolderItem* scan = document.root->FindFolder("scan");
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(scan->compareState, NotCompared);
    for (FileItem* file : scan->Files()) EXPECT_EQ(file->compareState, NotCompared) << file->Name();
    EXPECT_EQ(finishedCalls, 0);
    EXPECT_EQ(document.duplicates.FileCount(), 0u);

    // A cancelled scan deletes Provisional records: none of the loaded ones may go.
    document.CommitScan(false);
    EXPECT_EQ(document.root->CountFiles(), 5u);
    EXPECT_EQ(document.catalog.Count(), 5u);
}

TEST_F(TwsFormatTest, RecordsWhoseNameRepeatsAreDropped) {
    TwsBytes crafted;
    crafted.Word(5).Root().Word(2);
    crafted.Item("d", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(0).Word(1).File("x", 1, Finished, 1, kDigestA);
    crafted.Item("d", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(1);
    crafted.Item("e", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(0).Word(1).File("deep", 7);
    crafted.Word(1).File("y", 2, Finished, 1, kDigestA);
    crafted.Word(2).File("a", 3).File("a", 4);

    Document document(prompts);
    int finishedCalls = 0;
    document.onFinishedLoaded = [&](FileItem*, uint32_t) { ++finishedCalls; };
    ASSERT_TRUE(LoadBytes(document, crafted.bytes));
    ASSERT_EQ(document.root->ChildFolders().size(), 1u);
    FolderItem* folder = document.root->FindFolder("d");
    EXPECT_NE(folder->FindFile("x"), nullptr);
    EXPECT_EQ(folder->FindFile("y"), nullptr);
    EXPECT_EQ(folder->FindFolder("e"), nullptr);
    EXPECT_EQ(document.root->FindFile("a")->Size(), 3u) << "the first record keeps the name";
    EXPECT_EQ(document.catalog.Count(), 2u) << "nothing of a dropped record is catalogued";
    EXPECT_EQ(document.duplicates.FileCount(), 1u);
    EXPECT_EQ(finishedCalls, 1);
}

TEST_F(TwsFormatTest, AFailedLoadLeavesTheFinishedFilesReadSoFarIndexed) {
    TwsBytes crafted;
    crafted.Word(4).Root().Word(0).Word(4);
    crafted.File("a", 10, Finished, 1, kDigestB).File("b", 10, Finished, 1, kDigestA);
    crafted.File("c", 10, Finished, 1, kDigestB);
    crafted.bytes += std::string(10, '\0');  // the fourth record breaks off
    std::string path = dir.Path("broken.tws");
    WriteBytes(path, crafted.bytes);

    FolderItem* root = FolderItem::CreateRoot();
    FileCatalog catalog;
    DuplicateIndex duplicates;
    std::vector<std::string> finished;
    FinishedHook onFinished = [&](FileItem* file, uint32_t) { finished.emplace_back(file->Name()); };
    NullProgressIndicator progress;
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    CXArchive archive(&file, CXArchive::Load);
    EXPECT_THROW(LoadCatalog(archive, *root, catalog, duplicates, onFinished, progress), CXArchiveException);

    EXPECT_EQ(finished, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(catalog.Count(), 3u);
    EXPECT_EQ(duplicates.FileCount(), 3u) << "the index holds what the catalogue holds, for the caller to clear";
    std::vector<std::string> keys;
    duplicates.ForEachKey([&](uint64_t, std::string_view key) { keys.emplace_back(key); });
    EXPECT_EQ(keys, (std::vector<std::string>{std::string("10") + kDigestB, std::string("10") + kDigestA}));
    duplicates.Clear();
    catalog.Clear();
    delete root;
}

TEST_F(TwsFormatTest, ProgressCountsFileRecordsWithinTheStoredTotal) {
    CheckedProgress progress;
    Document document(prompts, &progress);
    BuildVariedCatalogue(document);
    Stored(document, "progress.tws");
    ASSERT_EQ(progress.runs.size(), 1u);
    EXPECT_EQ(progress.runs[0].text, "Writing data...");
    EXPECT_EQ(progress.runs[0].range, 5);
    EXPECT_EQ(progress.runs[0].steps, 5);
    EXPECT_TRUE(progress.runs[0].ended);

    ASSERT_TRUE(document.OpenFile(document.path));
    ASSERT_EQ(progress.runs.size(), 2u);
    EXPECT_EQ(progress.runs[1].text, "Reading data...");
    EXPECT_EQ(progress.runs[1].range, 5);
    EXPECT_EQ(progress.runs[1].steps, 5);
    EXPECT_TRUE(progress.runs[1].ended);
}

TEST_F(TwsFormatTest, AStoredTotalThatLiesIsOnlyARange) {
    CheckedProgress progress;
    Document document(prompts, &progress);
    TwsBytes huge;
    huge.Word(0xFFFFFFFFu).Root().Word(0).Word(2).File("a", 1).File("b", 2);
    ASSERT_TRUE(LoadBytes(document, huge.bytes));
    EXPECT_EQ(document.catalog.Count(), 2u);
    EXPECT_EQ(progress.runs.back().range, INT32_MAX);
    EXPECT_EQ(progress.runs.back().steps, 2);

    TwsBytes none;
    none.Word(0).Root().Word(0).Word(2).File("a", 1).File("b", 2);
    ASSERT_TRUE(LoadBytes(document, none.bytes));
    EXPECT_EQ(progress.runs.back().range, 0);
    EXPECT_EQ(progress.runs.back().steps, 0) << "no step for a range of 0";

    TwsBytes few;
    few.Word(1).Root().Word(0).Word(3).File("a", 1).File("b", 2).File("c", 3);
    ASSERT_TRUE(LoadBytes(document, few.bytes));
    EXPECT_EQ(document.catalog.Count(), 3u);
    EXPECT_EQ(progress.runs.back().steps, 1) << "no step past the range";
}

}  // namespace
}  // namespace twinseek
