// The document: ending a scan, the questions before dropping changes, a save that
// never destroys the old file, loads of damaged files, the .tws bytes and the archive.
#include "document/CXArchive.h"
#include "document/Document.h"
#include "platform/CXException.h"
#include "tests/catalog/CatalogTestSupport.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using namespace twinseek::testing;
using Answer = DocumentPrompts::Answer;

constexpr char kDigestA[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
constexpr char kDigestB[] = "77777777777777777777777777777777";

// Document-file bytes built field by field, all words little-endian.
struct TwsBytes {
    TwsBytes() = default;
    // A document's first bytes: its count of files and the root's own record.
    explicit TwsBytes(uint32_t total) { Word(total).Root(); }
    TwsBytes& Word(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(char(value >> shift));
        return *this;
    }
    TwsBytes& Line(std::string_view text) {
        bytes.append(text).push_back('\n');
        return *this;
    }
    // An item record with zero times.
    TwsBytes& Item(std::string_view name, uint64_t size = 0, int32_t state = 0, uint32_t attributes = 0) {
        Word(attributes).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0);
        Word(uint32_t(size >> 32)).Word(uint32_t(size));
        return Line(name).Line("").Word(uint32_t(state));
    }
    TwsBytes& Folder(std::string_view name) { return Item(name, 0, 0, FILE_ATTRIBUTE_DIRECTORY); }
    TwsBytes& File(std::string_view name, uint64_t size, int32_t state = 0, uint32_t hashMillis = 0,
                   std::string_view digest = "") {
        return Item(name, size, state).Word(hashMillis).Line(digest);
    }
    // The root's own record as the program writes it: all zero, no names.
    TwsBytes& Root() { return Item(""); }

    std::string bytes;
};

// Answers from a script and remembers what was asked; an unscripted question
// fails the test.
class ScriptedPrompts : public DocumentPrompts {
public:
    Answer AskSaveChanges(const char*, const char*) override {
        ++questions;
        return Pop(answers, "save question").value_or(Answer::Cancel);
    }
    std::optional<std::string> ChooseOpenPath() override { return Pop(openChoices, "open dialog").value_or(std::nullopt); }
    std::optional<std::string> ChooseSavePath(const std::string& proposed) override {
        proposedSavePaths.push_back(proposed);
        return Pop(saveChoices, "save dialog").value_or(std::nullopt);
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }

    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> openChoices, saveChoices;
    std::vector<std::string> proposedSavePaths, errors;
    int questions = 0;

private:
    template <typename T>
    static std::optional<T> Pop(std::deque<T>& script, const char* what) {
        if (script.empty()) {
            ADD_FAILURE() << "unexpected " << what;
            return std::nullopt;
        }
        T next = script.front();
        script.pop_front();
        return next;
    }
};

// What a scan does for one file: files it under folder and, when new, in intake.
FileItem* ScanFile(Document& document, FolderItem* folder, const FindData& data) {
    bool created = false;
    FileItem* file = folder->FindOrCreateFile(data, created);
    if (created) document.intake.Insert(file->Size(), file);
    return file;
}

FolderItem* ScanFolder(FolderItem* parent, const std::string& name) {
    return parent->FindOrCreateFolder(EntryNamed(name, 0, FILE_ATTRIBUTE_DIRECTORY));
}

// A document in a scratch folder whose prompts answer from a script.
struct DocumentTest : ::testing::Test {
    // Saved as name in the folder; its bytes.
    std::string Stored(Document& document, const std::string& name) {
        document.modified = true;
        document.path = dir.Path(name);
        EXPECT_TRUE(document.Save()) << (prompts.errors.empty() ? "" : prompts.errors.back());
        return ReadBytes(document.path);
    }
    // A failed save over doc.tws: false, one error naming the file and reason,
    // modified still true, the old file byte for byte and no file left beside it.
    void ExpectFailedSave(Document& document, const std::string& old, const std::string& reason) {
        document.path = dir.Path("doc.tws");
        EXPECT_FALSE(document.Save());
        EXPECT_TRUE(document.modified);
        ASSERT_EQ(prompts.errors.size(), 1u);
        EXPECT_EQ(prompts.errors[0].rfind("Could not save " + document.path + ": ", 0), 0u) << prompts.errors[0];
        EXPECT_NE(prompts.errors[0].find(reason), std::string::npos) << prompts.errors[0];
        EXPECT_EQ(ReadBytes(document.path), old);
        EXPECT_EQ(EntriesIn(dir.Root()), 1) << "no temporary file is left";
        prompts.errors.clear();
    }
    // Saves a document of one folder as name, as an earlier save left it; returns its bytes.
    std::string StoreEarlier(const std::string& name) {
        Document earlier(prompts);
        ScanFolder(earlier.root, "saved-before");
        earlier.CommitScan(true);
        return Stored(earlier, name);
    }

    TemporaryTree dir;
    ScriptedPrompts prompts;
};

TEST_F(DocumentTest, CommitScanKeepsOrDropsTheScannedRecordsAndOnlyAnswersThatStopKeepTheCatalogue) {
    Document document(prompts);
    document.CommitScan(false);
    EXPECT_FALSE(document.modified) << "a cancelled scan that made nothing changes nothing";
    FolderItem* data = ScanFolder(document.root, "data");
    for (const char* name : {"one", "two"}) ScanFile(document, data, EntryNamed(name, 100));
    document.CommitScan(true);
    EXPECT_TRUE(document.modified);
    EXPECT_EQ(document.catalog.Count(), 2u);

    document.modified = false;
    ScanFile(document, ScanFolder(document.root, "more"), EntryNamed("three", 5));
    FileItem* one = ScanFile(document, data, EntryNamed("one", 100));  // found again
    // A further path the cancelled scan found is forgotten with its record.
    ASSERT_TRUE(document.links.Add(ScanFile(document, data, EntryNamed("one-link", 100)), one));
    document.CommitScan(false);
    EXPECT_EQ(document.links.ExtraCount(), 0u);
    EXPECT_TRUE(document.links.ExtrasOf(one).empty());
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
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t limit) : previousHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lowered{limit, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    void (*previousHandler)(int);
    rlimit saved{};
};

TEST_F(DocumentTest, AFailedSaveLeavesTheOldFileByteForByte) {
    const std::string old = StoreEarlier("doc.tws");

    Document odd(prompts);
    FolderItem* folder = ScanFolder(odd.root, "odd");
    for (const char* name : {"carriage\rreturn", "line\nfeed"}) ScanFile(odd, folder, EntryNamed(name, 1));
    odd.CommitScan(true);
    ExpectFailedSave(odd, old, "the name \"odd/carriage\rreturn\" holds a line break");

    Document document(prompts);
    folder = ScanFolder(document.root, "many");
    for (int index = 0; index < 400; ++index) ScanFile(document, folder, EntryNamed(Numbered("file", index), 1));
    document.CommitScan(true);
    {
        FileSizeLimit limit(1000);
        ExpectFailedSave(document, old, "File too large");
    }
    EXPECT_TRUE(document.Save()) << "the same save succeeds once there is room";
    EXPECT_GT(ReadBytes(document.path).size(), 4096u);
}

TEST_F(DocumentTest, SavingThroughSymbolicLinksWritesTheFileTheyLeadToAndKeepsTheLinks) {
    dir.Folder("real");
    StoreEarlier("real/doc.tws");
    ASSERT_EQ(symlink("real/doc.tws", dir.Path("link.tws").c_str()), 0);
    ASSERT_EQ(symlink(dir.Path("link.tws").c_str(), dir.Path("chain.tws").c_str()), 0);
    ASSERT_EQ(symlink("real/new.tws", dir.Path("dangling.tws").c_str()), 0);
    ASSERT_EQ(symlink("loop.tws", dir.Path("loop.tws").c_str()), 0);

    Document document(prompts);
    ScanFile(document, ScanFolder(document.root, "data"), EntryNamed("file", 7));
    document.CommitScan(true);
    for (const char* through : {"chain.tws", "dangling.tws"}) Stored(document, through);
    Document reloaded(prompts);
    ASSERT_TRUE(reloaded.OpenFile(dir.Path("real/doc.tws")));
    EXPECT_NE(reloaded.root->FindFolder("data")->FindFile("file"), nullptr) << "the file behind the links is new";
    EXPECT_EQ(ReadBytes(dir.Path("real/new.tws")), ReadBytes(dir.Path("real/doc.tws")))
        << "a dangling link gets its file";
    for (const char* link : {"link.tws", "chain.tws", "dangling.tws"})
        EXPECT_TRUE(std::filesystem::is_symlink(dir.Path(link))) << link;
    EXPECT_EQ(std::filesystem::read_symlink(dir.Path("chain.tws")), dir.Path("link.tws"));

    document.path = dir.Path("loop.tws");
    document.modified = true;
    EXPECT_FALSE(document.Save());
    EXPECT_EQ(prompts.errors,
              std::vector<std::string>{"Could not save " + document.path + ": Too many levels of symbolic links"});
    EXPECT_EQ(EntriesIn(dir.Path("real")), 2) << "no temporary file is left";
}

// Sends this process a signal at the given progress step of a save.
struct SignalAtStep : ProgressIndicator {
    SignalAtStep(int signalNumber, int32_t step) : signalNumber(signalNumber), step(step) {}
    void ProgressStart(std::string_view, int32_t) override {}
    void ProgressStep() override { if (++steps == step) raise(signalNumber); }
    void ProgressEnd() override {}
    int signalNumber;
    int32_t step, steps = 0;
};

TEST_F(DocumentTest, ASignalThatEndsASaveRemovesItsTemporaryFileFirstAndAnIgnoredOneLetsItFinish) {
    const std::string oldBytes = StoreEarlier("doc.tws");

    const std::pair<int, bool> signalAndIgnored[] = {{SIGINT, false}, {SIGTERM, false}, {SIGINT, true}};
    for (const auto& [signalNumber, ignored] : signalAndIgnored) {
        SCOPED_TRACE(std::string(strsignal(signalNumber)) + (ignored ? ", ignored" : ""));
        std::fflush(nullptr);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Half-way through writing a few thousand files, the signal comes.
            if (ignored) std::signal(signalNumber, SIG_IGN);
            SignalAtStep progress(signalNumber, 2000);
            Document document(prompts, &progress);
            FolderItem* folder = ScanFolder(document.root, "many");
            for (int index = 0; index < 4000; ++index) ScanFile(document, folder, EntryNamed(Numbered("f", index), 1));
            document.CommitScan(true);
            document.path = dir.Path("doc.tws");
            _exit(document.Store() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_EQ(EntriesIn(dir.Root()), 1) << "no temporary file is left";
        if (ignored) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
            EXPECT_GT(ReadBytes(dir.Path("doc.tws")).size(), oldBytes.size()) << "the save went on to the end";
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << "ended by the signal";
            EXPECT_TRUE(ReadBytes(dir.Path("doc.tws")) == oldBytes) << "the old document stays";
        }
    }
}

// Fails the test on a step outside a run or past its range; keeps the last run.
class CheckedProgress : public ProgressIndicator {
public:
    void ProgressStart(std::string_view, int32_t newRange) override {
        EXPECT_FALSE(running) << "a run started inside another";
        running = true;
        range = newRange;
        steps = 0;
    }
    void ProgressStep() override {
        EXPECT_TRUE(running) << "a step outside a run";
        EXPECT_LE(++steps, range) << "a step past the range";
    }
    void ProgressEnd() override { running = false; }

    bool running = false;
    int32_t range = 0, steps = 0;
};

// Loads crafted bytes into a fresh document whose Finished list follows the
// hooks, and checks that whatever happened left a consistent document.
struct DamagedDocumentTest : DocumentTest {
    bool Load(const std::string& bytes) {
        const std::string path = dir.Path("damaged.tws");
        WriteBytes(path, bytes);
        document = std::make_unique<Document>(prompts, &progress);
        finishedList.clear();
        document->onFinishedLoaded = [this](FileItem* file, uint32_t) { finishedList.insert(file); };
        document->onCatalogCleared = [this] { finishedList.clear(); };
        prompts.errors.clear();
        bool loaded = document->OpenFile(path);
        EXPECT_FALSE(document->modified);
        EXPECT_EQ(document->catalog.Count(), document->root->CountFiles());
        EXPECT_LE(document->duplicates.FileCount(), finishedList.size());
        if (loaded) {
            EXPECT_EQ(document->path, path);
            EXPECT_TRUE(prompts.errors.empty());
        } else {
            EXPECT_TRUE(document->path.empty());
            EXPECT_TRUE(document->root->ChildFolders().empty());
            EXPECT_TRUE(document->root->Files().empty());
            EXPECT_EQ(document->duplicates.FileCount(), 0u);
            EXPECT_TRUE(finishedList.empty()) << "the Finished list was told to let go";
            EXPECT_EQ(prompts.errors.size(), 1u);
        }
        return loaded;
    }
    static std::string EndsAt(size_t byte) {
        return "End of archive file exception: the document ends at byte " + std::to_string(byte) +
               ", before its last record";
    }
    std::string Failure(const std::string& cause) const { return "Could not open " + dir.Path("damaged.tws") + ": " + cause; }
    std::string LastError() const { return prompts.errors.empty() ? "" : prompts.errors.back(); }

    CheckedProgress progress;
    std::unique_ptr<Document> document;
    std::set<FileItem*> finishedList;
};

TEST_F(DamagedDocumentTest, EveryTruncationLoadsOrFailsCleanlyNegativeCountsLoadNothingAndALyingTotalIsOnlyARange) {
    TwsBytes valid(4);
    valid.Word(2).Folder("a").Word(1);
    valid.Folder("b").Word(0).Word(1).File("deep", 10, Finished, 5, kDigestA);
    valid.Word(1).File("mid", 10, Finished, 6, kDigestA).Folder("c").Word(0).Word(0);
    valid.Word(2).File("x", 3).File("y", 10, Finished, 7, "SHORTDIGEST");
    ASSERT_TRUE(Load(valid.bytes));
    EXPECT_EQ(document->catalog.Count(), 4u);
    EXPECT_EQ(finishedList.size(), 3u);

    // Only a cut into the very last text, the digest line, can still load.
    size_t lastTextStart = valid.bytes.size() - std::string("SHORTDIGEST\n").size();
    for (size_t length = 0; length < valid.bytes.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        bool loaded = Load(valid.bytes.substr(0, length));
        EXPECT_EQ(loaded, length >= lastTextStart);
        EXPECT_EQ(LastError(), loaded ? "" : Failure(EndsAt(length)));
    }

    // Negative counts load nothing, and a total that lies is only a progress range.
    ASSERT_TRUE(Load(TwsBytes(0).Word(uint32_t(-5)).Word(uint32_t(INT32_MIN)).bytes));
    EXPECT_TRUE(document->root->ChildFolders().empty());
    for (uint32_t total : {0xFFFFFFFFu, 0u, 1u}) {
        SCOPED_TRACE(total);
        ASSERT_TRUE(Load(TwsBytes(total).Word(0).Word(3).File("a", 1).File("b", 2).File("c", 3).bytes));
        EXPECT_EQ(document->catalog.Count(), 3u);
        EXPECT_EQ(progress.steps, std::min<int32_t>(3, int32_t(std::min<uint32_t>(total, INT32_MAX))));
    }
}

TEST_F(DamagedDocumentTest, AbsurdCountsEndlessNamesDeepNestingAndNamesNoScanCouldMakeFailWithTheirCause) {
    const std::string folders = TwsBytes(0).Word(INT32_MAX).bytes;
    const std::string files = TwsBytes(0xFFFFFFFFu).Word(0).Word(INT32_MAX).File("only", 1, Finished, 1, kDigestA).bytes;
    TwsBytes endless(1);
    endless.Word(0).Word(1);
    for (int word = 0; word < 8; ++word) endless.Word(0);
    endless.Word(5).bytes.append(270, 'e');
    // A million nested folders are refused without recursion once their path
    // could not exist.
    const int depth = 1'000'000;
    TwsBytes chain(1);
    chain.Word(1);
    for (int level = 0; level < depth; ++level) chain.Folder("d").Word(level + 1 < depth ? 1 : 0);
    chain.Word(1).File("bottom", 42);
    for (int level = 0; level < depth; ++level) chain.Word(0);

    std::vector<std::pair<std::string, std::string>> cases;
    for (const std::string& cut : {folders, files, endless.bytes}) cases.emplace_back(cut, EndsAt(cut.size()));
    // Folder 2049's path, "d/d/.../d", is the first to reach 4096 bytes; the
    // root's own record is record 1, and each level takes 47 bytes after the first 50.
    cases.emplace_back(std::move(chain.bytes), "folders nested deeper than a path can reach, at record 2050 (byte 96306)");

    // The root's folder "/" is the one name that holds '/'.
    ASSERT_TRUE(
        Load(TwsBytes(1).Word(1).Folder("/").Word(1).Folder("home").Word(0).Word(1).File("f", 1).Word(0).Word(0).bytes));
    EXPECT_EQ(document->root->FindFolder("/")->FindFolder("home")->FindFile("f")->GetFullPath(), "/home/f");
    const std::pair<std::string, std::string> names[] = {
        {"", " has an empty name, which no file or folder can have"},
        {".", " is named \".\", which no file or folder can be"},
        {"..", " is named \"..\", which no file or folder can be"},
        {"../../etc", " is named \"../../etc\", and a name cannot hold \"/\""},
        {"/", " is named \"/\", and a name cannot hold \"/\""},
        {std::string("x\0y", 3), " has a name holding a zero byte, which no file or folder can have"},
    };
    for (const auto& [name, fault] : names) {
        for (bool folder : {true, false}) {
            TwsBytes bytes(1);
            bytes.Word(1).Folder("/");
            folder ? bytes.Word(1) : bytes.Word(0).Word(1);
            const size_t offset = bytes.bytes.size();
            folder ? bytes.Folder(name).Word(0).Word(0).Word(0) : bytes.File(name, 1);
            cases.emplace_back(bytes.Word(0).bytes, "record 3 (byte " + std::to_string(offset) + ")" + fault);
        }
    }
    for (const auto& [bytes, cause] : cases) {
        SCOPED_TRACE(cause);
        EXPECT_FALSE(Load(bytes));
        EXPECT_EQ(LastError(), Failure(cause));
    }
}

using TwsFormatTest = DocumentTest;

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
    // Enough records to pass through the store buffer more than once, their
    // names of three digits so that name order is number order.
    FolderItem* folder = ScanFolder(document.root, "z");
    for (int index = 100; index < 300; ++index) ScanFile(document, folder, EntryNamed(Numbered("n", index), 7, 0));
    document.CommitScan(true);

    TwsBytes expected(208);
    expected.Word(3).Folder("Z").Word(0).Word(0).Folder("m").Word(0).Word(3);
    for (size_t index = 0; index < sizes.size(); ++index) expected.File(Numbered("f", int(index)), sizes[index]);
    expected.Folder("z").Word(0).Word(200);
    for (int index = 100; index < 300; ++index) expected.File(Numbered("n", index), 7);
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
    TwsBytes crafted(8);
    crafted.Word(2).Folder("x").Word(0).Word(3);
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

// Archives loading bytes from a file in a scratch folder.
struct CXArchiveTest : DocumentTest {
    CXArchive& Load(const std::string& bytes, uint32_t bufferSize = 4096, bool trickle = false) {
        archive.reset();
        WriteBytes(dir.Path("load.tws"), bytes);
        file = trickle ? std::make_unique<TricklingFile>() : std::make_unique<CXFile>();
        file->Open(dir.Path("load.tws"), CXFile::Access::Read, CXFile::Creation::OpenExisting);
        archive = std::make_unique<CXArchive>(file.get(), CXArchive::Load, bufferSize);
        return *archive;
    }

    std::unique_ptr<CXFile> file;
    std::unique_ptr<CXArchive> archive;
};

TEST_F(CXArchiveTest, WordsAndLinesAcrossARefillAreJoinedFromBothReadsAndLinesEndAtEachLineEndOrTheirLimit) {
    TwsBytes bytes;
    bytes.bytes = "x";
    for (uint32_t i = 0; i < 200; ++i) bytes.Word(i * 2654435761u);
    bytes.bytes += "yz";
    // With a 128-byte buffer and one odd byte first, words straddle every refill.
    for (bool trickle : {false, true}) {
        CXArchive& archive = Load(bytes.bytes, 128, trickle);
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

    // Closing a loading archive returns what it read ahead and did not consume.
    Load(std::string(1000, 'q'));
    for (int i = 0; i < 10; ++i) archive->LoadByte();
    EXPECT_EQ(file->GetPosition(), 1000u) << "the whole file was read ahead";
    archive->Close();
    EXPECT_EQ(file->GetPosition(), 10u);

    Load("abc\r\ndef\n\n0123456789abcdefghij\nxy\r\nz\rqr\nghi");
    char buffer[300];
    const std::tuple<int, const char*, const char*> lines[] = {
        {30, "abc", ""}, {30, "def", ""}, {30, "", "an empty line is still a line"}, {14, "0123456789abcd", ""},
        {14, "efghij", "the rest of the line comes next"}, {2, "xy", ""},
        {-2, "\n", "a CR at the limit's edge still takes its LF"}, {-5, "zq", "a CR takes whatever byte follows it"}};
    for (const auto& [limit, expected, why] : lines) EXPECT_STREQ(archive->ReadString(buffer, limit), expected) << why;
    std::string line;
    EXPECT_TRUE(archive->ReadString(line, -10));
    EXPECT_EQ(line, "r\n") << "a negative limit keeps the line end";
    EXPECT_STREQ(archive->ReadString(buffer, 30), "ghi") << "the last line needs no line end";
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(archive->ReadString(buffer, 30), nullptr);
    EXPECT_EQ(buffer[0], 'Z') << "buffer untouched";
    line = "kept";
    EXPECT_FALSE(archive->ReadString(line, 30));
    EXPECT_EQ(line, "kept");

    // Byte 127 is the CR and byte 128 the LF: the line end straddles the first refill.
    const std::string first(127, 'a');
    const std::string contents = first + "\r\n" + "b\n" + std::string(124, 'c') + "\r";
    Load(contents, 128);
    EXPECT_EQ(std::string(archive->ReadString(buffer, 200)), first);
    EXPECT_EQ(archive->GetByteCount(), 129u) << "the LF after the refill belongs to the same line end";
    EXPECT_STREQ(archive->ReadString(buffer, 200), "b");
    // A CR that is the buffer's last byte and the file's last byte: the refill finds the end.
    EXPECT_EQ(std::string(archive->ReadString(buffer, -200)), std::string(124, 'c') + "\r");
    EXPECT_EQ(archive->GetByteCount(), contents.size());
}

}  // namespace
}  // namespace twinseek
