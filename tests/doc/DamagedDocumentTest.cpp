#include "doc/Document.h"

#include "doc/TwsFormat.h"

#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

namespace twinseek {
namespace {

using namespace twinseek::testing;

constexpr char kDigest[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";

// Loads crafted bytes into a fresh document whose Finished list follows the
// hooks, and checks that whatever happened left a consistent document.
struct DamagedDocumentTest : ::testing::Test {
    bool Load(const std::string& bytes) {
        std::string path = dir.Path("damaged.tws");
        WriteBytes(path, bytes);
        document = std::make_unique<Document>(prompts);
        finishedList.clear();
        document->onFinishedLoaded = [this](FileItem* file, uint32_t) { finishedList.insert(file); };
        document->onCatalogCleared = [this] { finishedList.clear(); };
        prompts.errors.clear();
        bool loaded = document->OpenFile(path);
        ExpectConsistent(loaded, path);
        return loaded;
    }

    void ExpectConsistent(bool loaded, const std::string& path) {
        EXPECT_FALSE(document->modified);
        EXPECT_EQ(document->catalog.Count(), document->root->CountFiles());
        EXPECT_LE(document->duplicates.FileCount(), finishedList.size());
        if (loaded) {
            EXPECT_EQ(document->path, path);
            EXPECT_TRUE(prompts.errors.empty());
            return;
        }
        EXPECT_TRUE(document->path.empty());
        EXPECT_TRUE(document->root->ChildFolders().empty());
        EXPECT_TRUE(document->root->Files().empty());
        EXPECT_EQ(document->duplicates.FileCount(), 0u);
        EXPECT_TRUE(finishedList.empty()) << "the Finished list was told to let go";
        EXPECT_EQ(prompts.errors.size(), 1u);
        if (!prompts.errors.empty()) {
            EXPECT_EQ(prompts.errors[0].rfind("Could not open " + path + ": ", 0), 0u);
        }
    }

    std::string LastError() const { return prompts.errors.empty() ? "" : prompts.errors.back(); }

    TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<Document> document;
    std::set<FileItem*> finishedList;
};

TEST_F(DamagedDocumentTest, EveryTruncationLoadsOrFailsCleanly) {
    TwsBytes valid;
    valid.Word(4).Root().Word(2);
    valid.Item("a", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(1);
    valid.Item("b", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(0).Word(1).File("deep", 10, Finished, 5, kDigest);
    valid.Word(1).File("mid", 10, Finished, 6, kDigest);
    valid.Item("c", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(0).Word(0);
    valid.Word(2).File("x", 3).File("y", 10, Finished, 7, "SHORTDIGEST");
    ASSERT_TRUE(Load(valid.bytes));
    EXPECT_EQ(document->catalog.Count(), 4u);
    EXPECT_EQ(finishedList.size(), 3u);

    // Only a cut into the very last text, the digest line, can still load.
    size_t lastTextStart = valid.bytes.size() - std::string("SHORTDIGEST\n").size();
    for (size_t length = 0; length < valid.bytes.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        bool loaded = Load(valid.bytes.substr(0, length));
        if (length < lastTextStart) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(LastError(), "Could not open " + dir.Path("damaged.tws") + ": End of archive file exception");
        } else {
            EXPECT_TRUE(loaded);
        }
    }
}

TEST_F(DamagedDocumentTest, CountsOfZeroOrLessLoadNothing) {
    TwsBytes negative;
    negative.Word(0).Root().Word(uint32_t(-5));
    negative.Word(uint32_t(INT32_MIN));
    ASSERT_TRUE(Load(negative.bytes));
    EXPECT_TRUE(document->root->ChildFolders().empty());

    TwsBytes nested;
    nested.Word(0).Root().Word(1).Item("d", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(uint32_t(-1)).Word(uint32_t(-7));
    nested.Word(1).File("f", 1);
    ASSERT_TRUE(Load(nested.bytes));
    EXPECT_NE(document->root->FindFolder("d"), nullptr);
    EXPECT_EQ(document->catalog.Count(), 1u);
}

TEST_F(DamagedDocumentTest, AHugeCountWithoutRecordsEndsAtTheEndOfTheFile) {
    TwsBytes folders;
    folders.Word(0).Root().Word(INT32_MAX);
    EXPECT_FALSE(Load(folders.bytes));
    EXPECT_EQ(LastError(), "Could not open " + dir.Path("damaged.tws") + ": End of archive file exception");

    TwsBytes files;
    files.Word(0xFFFFFFFFu).Root().Word(0).Word(INT32_MAX).File("only", 1, Finished, 1, kDigest);
    EXPECT_FALSE(Load(files.bytes));
}

TEST_F(DamagedDocumentTest, LinesLongerThanTheirFieldStayInTheirField) {
    // A name filling the field to its last byte still ends at its line feed.
    std::string longest(259, 'n');
    TwsBytes exact;
    exact.Word(1).Root().Word(0).Word(1).File(longest, 77, Finished, 2, kDigest);
    ASSERT_TRUE(Load(exact.bytes));
    FileItem* file = document->root->FindFile(longest);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), 77u);
    EXPECT_EQ(file->DigestText(), kDigest);

    // 300 bytes before the line feed: the rest runs into the following fields.
    TwsBytes overlong;
    overlong.Word(1).Root().Word(0).Word(1).File(std::string(300, 'm'), 5);
    if (Load(overlong.bytes)) {
        for (const FileItem* loaded : document->root->Files()) {
            EXPECT_LE(loaded->Name().size(), 259u);
            EXPECT_LE(loaded->AlternateName().size(), 13u);
        }
    }

    // A short name and a digest text far beyond their fields.
    TwsBytes wide;
    wide.Word(1).Root().Word(0).Word(1).Item("w", 1, Finished, 0, std::string(100, 's'));
    wide.Word(0).Line(std::string(100, 'D'));
    if (Load(wide.bytes)) {
        for (const FileItem* loaded : document->root->Files()) EXPECT_LE(loaded->DigestText().size(), 32u);
    }

    // A name that never ends.
    TwsBytes endless;
    endless.Word(1).Root().Word(0).Word(1).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0).Word(5);
    endless.bytes.append(270, 'e');
    EXPECT_FALSE(Load(endless.bytes));
}

// Bytes of a chain of depth folders named "d", each the only child of the
// one before, with one file in the innermost.
std::string NestedFolders(int depth, const std::string& fileName) {
    TwsBytes chain;
    chain.Word(1).Root().Word(1);
    for (int level = 0; level < depth; ++level)
        chain.Item("d", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(level + 1 < depth ? 1 : 0);
    chain.Word(1).File(fileName, 42);
    for (int level = 0; level < depth; ++level) chain.Word(0);
    return chain.bytes;
}

TEST_F(DamagedDocumentTest, AMillionNestedFoldersAreRefusedWithoutRecursion) {
    EXPECT_FALSE(Load(NestedFolders(1'000'000, "bottom")));
    EXPECT_EQ(LastError(), "Could not open " + dir.Path("damaged.tws") + ": Generic archive exception");
}

TEST_F(DamagedDocumentTest, TreesLoadWhileTheirPathsFitTheSystemLimit) {
    // "d/d/.../d/b": 2047 folders and the file make a path of PATH_MAX - 1 bytes.
    std::string deepest = NestedFolders(2047, "b");
    ASSERT_TRUE(Load(deepest));
    ASSERT_EQ(document->catalog.Count(), 1u);
    const FileItem* bottom = document->catalog.All().front().item;
    EXPECT_EQ(bottom->GetFullPath().size(), size_t(PATH_MAX) - 1);

    document->modified = true;
    document->path = dir.Path("again.tws");
    ASSERT_TRUE(document->Save()) << LastError();
    EXPECT_EQ(ReadBytes(dir.Path("again.tws")), deepest);

    EXPECT_FALSE(Load(NestedFolders(2047, "bb"))) << "a file one byte too deep";
    EXPECT_FALSE(Load(NestedFolders(2048, "b")));
    EXPECT_FALSE(Load(deepest.substr(0, deepest.size() / 2))) << "a cut deep chain is deleted again";

    // The first piece of an absolute path is "/", which takes no separator
    // after it: "/d/.../d/bb" with 2046 folders "d" is PATH_MAX - 1 bytes long.
    TwsBytes slash;
    slash.Word(1).Root().Word(1).Item("/", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(1);
    for (int level = 0; level < 2046; ++level)
        slash.Item("d", 0, 0, FILE_ATTRIBUTE_DIRECTORY).Word(level + 1 < 2046 ? 1 : 0);
    slash.Word(1).File("bb", 1);
    for (int level = 0; level < 2048; ++level) slash.Word(0);
    ASSERT_TRUE(Load(slash.bytes)) << LastError();
    EXPECT_EQ(document->catalog.All().front().item->GetFullPath().size(), size_t(PATH_MAX) - 1);
}

TEST_F(DamagedDocumentTest, UnstorableNamesAreFoundInNameOrder) {
    FolderItem* root = FolderItem::CreateRoot();
    EXPECT_EQ(FindUnstorableRecord(*root), nullptr);
    FolderItem* b = root->FindOrCreateFolder(Entry("b\nfolder", 0, FILE_ATTRIBUTE_DIRECTORY));
    FolderItem* a = root->FindOrCreateFolder(Entry("a", 0, FILE_ATTRIBUTE_DIRECTORY));
    bool created = false;
    FileItem* bad = a->FindOrCreateFile(Entry("z\r", 1), created);
    EXPECT_EQ(FindUnstorableRecord(*root), bad);
    a->FindOrCreateFile(Entry("ok", 1), created)->SetDigestText("x\ny");
    EXPECT_EQ(FindUnstorableRecord(*root)->Name(), "ok") << "digest texts are lines too";
    root->FindFolder("a")->ClearChildren();
    EXPECT_EQ(FindUnstorableRecord(*root), b);
    delete root;
}

}  // namespace
}  // namespace twinseek
