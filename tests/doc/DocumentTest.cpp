#include "doc/Document.h"

#include "doc/HeadlessPrompts.h"

#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace twinseek {
namespace {

using namespace twinseek::testing;
using Answer = DocumentPrompts::Answer;

const std::string kQuestion =
    "Confirm: The content in the file has changed.\nDo you want to save the changes?";

struct DocumentTest : ::testing::Test {
    // A document holding one committed scan: a folder with two files.
    void ScanSomething(Document& document) {
        FolderItem* folder = ScanFolder(document.root, "data");
        ScanFile(document, folder, Entry("one", 100));
        ScanFile(document, folder, Entry("two", 100));
        document.CommitScan(true);
    }
    std::string SaveCopy(const std::string& name) {
        Document other(prompts);
        ScanFolder(other.root, "saved-before");
        other.CommitScan(true);
        other.path = dir.Path(name);
        EXPECT_TRUE(other.Store());
        return ReadBytes(other.path);
    }

    TempDir dir;
    ScriptedPrompts prompts;
};

TEST_F(DocumentTest, CommitScanKeepsOrDropsTheScannedRecords) {
    Document document(prompts);
    document.CommitScan(false);
    EXPECT_FALSE(document.modified) << "a cancelled scan that made nothing changes nothing";

    ScanSomething(document);
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(document.catalog.Count(), 2u);
    EXPECT_EQ(document.intake.Count(), 0u);
    EXPECT_EQ(document.root->FindFolder("data")->compareState, NotCompared);

    document.modified = false;
    FolderItem* folder = ScanFolder(document.root, "more");
    ScanFile(document, folder, Entry("three", 5));
    ScanFile(document, document.root->FindFolder("data"), Entry("one", 100));  // found again
    document.CommitScan(false);
    EXPECT_EQ(document.root->FindFolder("more"), nullptr);
    EXPECT_NE(document.root->FindFolder("data")->FindFile("one"), nullptr);
    EXPECT_EQ(document.catalog.Count(), 2u);
    EXPECT_EQ(document.intake.Count(), 0u);
    EXPECT_FALSE(document.modified);
}

TEST_F(DocumentTest, AnsweringNoThenCancellingOpenKeepsTheCatalogue) {
    Document document(prompts);
    ScanSomething(document);
    prompts.answers = {Answer::No};
    prompts.openChoices = {std::nullopt};
    EXPECT_FALSE(document.Open());
    EXPECT_EQ(prompts.questions, std::vector<std::string>{kQuestion});
    EXPECT_EQ(prompts.openDialogs, 1);
    EXPECT_FALSE(document.modified);
    EXPECT_EQ(document.root->CountFiles(), 2u);
    EXPECT_EQ(document.catalog.Count(), 2u);
}

TEST_F(DocumentTest, CancellingTheQuestionStopsOpenBeforeItsDialog) {
    Document document(prompts);
    ScanSomething(document);
    prompts.answers = {Answer::Cancel};
    EXPECT_FALSE(document.Open());
    EXPECT_EQ(prompts.openDialogs, 0);
    EXPECT_TRUE(document.modified);
}

TEST_F(DocumentTest, YesWithoutPathAndCancelledSaveAsKeepsEverything) {
    Document document(prompts);
    ScanSomething(document);
    prompts.answers = {Answer::Yes};
    prompts.saveChoices = {std::nullopt};
    document.New();
    EXPECT_EQ(prompts.proposedSavePaths, std::vector<std::string>{""});
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(document.root->CountFiles(), 2u);
    EXPECT_EQ(document.catalog.Count(), 2u);
}

TEST_F(DocumentTest, YesWithPathSavesThenNewKeepsThePath) {
    Document document(prompts);
    CountingView view;
    document.RegisterView(&view);
    ScanSomething(document);
    document.path = dir.Path("kept.tws");
    prompts.answers = {Answer::Yes};
    document.New();
    EXPECT_FALSE(document.modified);
    EXPECT_EQ(document.root->CountFiles(), 0u);
    EXPECT_EQ(document.catalog.Count(), 0u);
    EXPECT_EQ(document.path, dir.Path("kept.tws"));
    EXPECT_EQ(view.updates, 1);

    Document reread(prompts);
    ASSERT_TRUE(reread.OpenFile(dir.Path("kept.tws")));
    EXPECT_EQ(reread.root->CountFiles(), 2u) << "the save before New wrote the catalogue";
}

TEST_F(DocumentTest, ResetLeavesUnsavedChangesAlone) {
    Document document(prompts);
    ScanSomething(document);
    document.Reset();
    EXPECT_EQ(document.root->CountFiles(), 2u);
    document.modified = false;
    document.Reset();
    EXPECT_EQ(document.root->CountFiles(), 0u);
}

TEST_F(DocumentTest, OpenReplacesTheCatalogueAndTellsTheViews) {
    SaveCopy("other.tws");
    Document document(prompts);
    ScanSomething(document);
    CountingView first;
    CountingView second;
    document.RegisterView(&first);
    document.RegisterView(&second);
    int cleared = 0;
    document.onCatalogCleared = [&] { ++cleared; };
    prompts.answers = {Answer::No};
    prompts.openChoices = {dir.Path("other.tws")};
    EXPECT_TRUE(document.Open());
    EXPECT_EQ(document.path, dir.Path("other.tws"));
    EXPECT_FALSE(document.modified);
    EXPECT_NE(document.root->FindFolder("saved-before"), nullptr);
    EXPECT_EQ(document.root->FindFolder("data"), nullptr);
    EXPECT_EQ(document.catalog.Count(), 0u);
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(first.updates, 1);
    EXPECT_EQ(second.updates, 1);

    document.UnregisterView(&first);
    document.UpdateAllViews();
    EXPECT_EQ(first.updates, 1);
    EXPECT_EQ(second.updates, 2);
}

TEST_F(DocumentTest, AFailedOpenLeavesAnEmptyCatalogueWithoutPath) {
    Document document(prompts);
    ScanSomething(document);
    document.modified = false;
    document.path = dir.Path("previous.tws");
    prompts.openChoices = {dir.Path("missing.tws")};
    EXPECT_FALSE(document.Open());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], "Could not open " + dir.Path("missing.tws") + ": No such file or directory");
    EXPECT_TRUE(document.path.empty());
    EXPECT_EQ(document.root->CountFiles(), 0u);
    EXPECT_EQ(document.catalog.Count(), 0u);

    // Without a path a save must ask where to, not overwrite a file.
    document.modified = true;
    prompts.saveChoices = {std::nullopt};
    EXPECT_FALSE(document.Save());
    EXPECT_EQ(prompts.proposedSavePaths, std::vector<std::string>{""});
}

TEST_F(DocumentTest, SaveAsWithoutChangesOnlyChangesPath) {
    Document document(prompts);
    prompts.saveChoices = {dir.Path("later.tws")};
    EXPECT_TRUE(document.SaveAs());
    EXPECT_EQ(document.path, dir.Path("later.tws"));
    EXPECT_TRUE(dir.Names().empty()) << "nothing is written without a change";
}

TEST_F(DocumentTest, SaveReplacesTheOldFileAndKeepsItsPermissions) {
    SaveCopy("doc.tws");
    ASSERT_EQ(chmod(dir.Path("doc.tws").c_str(), 0640), 0);
    Document document(prompts);
    ScanSomething(document);
    document.path = dir.Path("doc.tws");
    EXPECT_TRUE(document.Save());
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"doc.tws"}) << "no temporary file is left";
    struct stat status {};
    ASSERT_EQ(stat(dir.Path("doc.tws").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    Document reread(prompts);
    ASSERT_TRUE(reread.OpenFile(dir.Path("doc.tws")));
    EXPECT_EQ(reread.root->CountFiles(), 2u);
}

// Expects a failed save: false, one error naming the file, modified still
// true, and the folder holding exactly what it held before.
void ExpectFailedSave(Document& document, ScriptedPrompts& prompts, const TempDir& dir,
                      const std::string& reasonPart) {
    std::vector<std::string> before = dir.Names();
    EXPECT_FALSE(document.Save());
    EXPECT_TRUE(document.modified);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0].rfind("Could not save " + document.path + ": ", 0), 0u) << prompts.errors[0];
    EXPECT_NE(prompts.errors[0].find(reasonPart), std::string::npos) << prompts.errors[0];
    EXPECT_EQ(dir.Names(), before);
    prompts.errors.clear();
}

TEST_F(DocumentTest, SaveOntoAFolderFails) {
    std::filesystem::create_directory(dir.Path("folder.tws"));
    Document document(prompts);
    ScanSomething(document);
    document.path = dir.Path("folder.tws");
    ExpectFailedSave(document, prompts, dir, "Is a directory");
}

TEST_F(DocumentTest, SaveBelowAFileFails) {
    WriteBytes(dir.Path("plain"), "x");
    Document document(prompts);
    ScanSomething(document);
    document.path = dir.Path("plain/doc.tws");
    ExpectFailedSave(document, prompts, dir, "Not a directory");
}

TEST_F(DocumentTest, SaveIntoAReadOnlyFolderLeavesTheOldFile) {
    std::filesystem::create_directory(dir.Path("locked"));
    std::string old = SaveCopy("locked/doc.tws");
    ASSERT_EQ(chmod(dir.Path("locked").c_str(), 0555), 0);
    if (access(dir.Path("locked").c_str(), W_OK) == 0) GTEST_SKIP() << "permissions do not bind this user";
    Document document(prompts);
    ScanSomething(document);
    document.path = dir.Path("locked/doc.tws");
    EXPECT_FALSE(document.Save());
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(ReadBytes(document.path), old);
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

TEST_F(DocumentTest, AWriteFailureLeavesTheOldFileByteForByte) {
    std::string old = SaveCopy("doc.tws");
    Document document(prompts);
    FolderItem* folder = ScanFolder(document.root, "many");
    for (int index = 0; index < 400; ++index) ScanFile(document, folder, Entry("file" + std::to_string(index), 1));
    document.CommitScan(true);
    document.path = dir.Path("doc.tws");
    {
        FileSizeLimit limit(1000);
        ExpectFailedSave(document, prompts, dir, "File too large");
    }
    EXPECT_EQ(ReadBytes(document.path), old);
    EXPECT_TRUE(document.Save()) << "the same save succeeds once there is room";
    EXPECT_GT(ReadBytes(document.path).size(), 4096u);
}

TEST_F(DocumentTest, NamesWithLineBreaksAreNotSaved) {
    std::string old = SaveCopy("doc.tws");
    Document document(prompts);
    ScanSomething(document);
    FolderItem* folder = ScanFolder(document.root, "odd");
    ScanFile(document, folder, Entry("carriage\rreturn", 1));
    ScanFile(document, folder, Entry("line\nfeed", 1));
    document.CommitScan(true);
    document.path = dir.Path("doc.tws");
    ExpectFailedSave(document, prompts, dir, "the name \"odd/carriage\rreturn\" holds a line break");
    EXPECT_EQ(ReadBytes(document.path), old);
}

TEST_F(DocumentTest, HeadlessPromptsDropChangesAndKeepErrors) {
    HeadlessPrompts headless;
    Document document(headless);
    ScanSomething(document);
    EXPECT_FALSE(document.Open()) << "no file is ever chosen";
    EXPECT_FALSE(document.modified) << "the changes were dropped";
    EXPECT_FALSE(document.OpenFile(dir.Path("absent.tws")));
    EXPECT_EQ(headless.TakeErrors(),
              std::vector<std::string>{"Could not open " + dir.Path("absent.tws") + ": No such file or directory"});
    EXPECT_TRUE(headless.TakeErrors().empty());
}

}  // namespace
}  // namespace twinseek
