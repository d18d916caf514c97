#include "doc/Document.h"

#include "tests/doc/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace twinseek {
namespace {

using namespace twinseek::testing;
using Answer = DocumentPrompts::Answer;

struct DocumentTest : ::testing::Test {
    // A failed save: false, one error naming the file and reason, modified
    // still true, the old file byte for byte and no file left beside it.
    void ExpectFailedSave(Document& document, const std::string& old, const std::string& reason) {
        EXPECT_FALSE(document.Save());
        EXPECT_TRUE(document.modified);
        ASSERT_EQ(prompts.errors.size(), 1u);
        EXPECT_EQ(prompts.errors[0].rfind("Could not save " + document.path + ": ", 0), 0u) << prompts.errors[0];
        EXPECT_NE(prompts.errors[0].find(reason), std::string::npos) << prompts.errors[0];
        EXPECT_EQ(ReadBytes(document.path), old);
        auto entries = std::filesystem::directory_iterator(dir.Root());
        EXPECT_EQ(std::distance(begin(entries), end(entries)), 1) << "no temporary file is left";
        prompts.errors.clear();
    }

    TemporaryTree dir;
    ScriptedPrompts prompts;
};

TEST_F(DocumentTest, CommitScanKeepsOrDropsTheScannedRecordsAndOnlyAnswersThatStopKeepTheCatalogue) {
    Document document(prompts);
    document.CommitScan(false);
    EXPECT_FALSE(document.modified) << "a cancelled scan that made nothing changes nothing";
    FolderItem* data = ScanFolder(document.root, "data");
    ScanFile(document, data, EntryNamed("one", 100));
    ScanFile(document, data, EntryNamed("two", 100));
    document.CommitScan(true);
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(document.catalog.Count(), 2u);

    document.modified = false;
    ScanFile(document, ScanFolder(document.root, "more"), EntryNamed("three", 5));
    ScanFile(document, data, EntryNamed("one", 100));  // found again
    document.CommitScan(false);
    EXPECT_EQ(document.root->FindFolder("more"), nullptr);
    EXPECT_NE(data->FindFile("one"), nullptr);
    EXPECT_EQ(document.catalog.Count(), 2u);
    EXPECT_EQ(document.intake.Count(), 0u);
    EXPECT_FALSE(document.modified);

    document.modified = true;
    prompts.answers = {Answer::No};
    prompts.openChoices = {std::nullopt};
    EXPECT_FALSE(document.Open());
    EXPECT_EQ(prompts.questions, 1);
    EXPECT_FALSE(document.modified) << "No drops the changes";
    EXPECT_EQ(document.catalog.Count(), 2u) << "but a cancelled Open keeps the catalogue";

    // Yes without a path offers Save As with an empty name; cancelling it stops New.
    document.modified = true;
    prompts.answers = {Answer::Yes};
    prompts.saveChoices = {std::nullopt};
    document.New();
    EXPECT_EQ(prompts.proposedSavePaths, std::vector<std::string>{""});
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(document.catalog.Count(), 2u);
}

// Files may grow to limit bytes only while this lives; a write past it fails
// with EFBIG instead of a signal, as a full disk would fail it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

TEST_F(DocumentTest, AFailedSaveLeavesTheOldFileByteForByte) {
    Document before(prompts);
    ScanFolder(before.root, "saved-before");
    before.CommitScan(true);
    before.path = dir.Path("doc.tws");
    ASSERT_TRUE(before.Store());
    const std::string old = ReadBytes(before.path);

    Document odd(prompts);
    FolderItem* folder = ScanFolder(odd.root, "odd");
    ScanFile(odd, folder, EntryNamed("carriage\rreturn", 1));
    ScanFile(odd, folder, EntryNamed("line\nfeed", 1));
    odd.CommitScan(true);
    odd.path = dir.Path("doc.tws");
    ExpectFailedSave(odd, old, "the name \"odd/carriage\rreturn\" holds a line break");

    Document document(prompts);
    folder = ScanFolder(document.root, "many");
    for (int index = 0; index < 400; ++index) ScanFile(document, folder, EntryNamed(Numbered("file", index), 1));
    document.CommitScan(true);
    document.path = dir.Path("doc.tws");
    {
        FileSizeLimit limit(1000);
        ExpectFailedSave(document, old, "File too large");
    }
    EXPECT_TRUE(document.Save()) << "the same save succeeds once there is room";
    EXPECT_GT(ReadBytes(document.path).size(), 4096u);
}

}  // namespace
}  // namespace twinseek
