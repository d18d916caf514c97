#include "compare/CompareEngine.h"

#include "catalog/TextFormat.h"
#include "compare/CandidateQueueing.h"
#include "platform/TickCount.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinseek {
namespace {

using testing::DigestTextOf;
using testing::WriteBytes;
using testing::RandomContent;
using testing::TextColorOf;
using testing::WaitUntil;

constexpr char kEmptyDigest[] = "3I42H3S6NNFQ2MSVX7XZKYAYSCX5QBYJ";
constexpr uint64_t kLargeSize = 64ull << 20;

class CompareEngineTest : public testing::CompareFixture {
protected:
    static bool IsDigested(const FileItem* item) { return item->compareState.load() == Digested; }
    // Waits until the worker has taken the row's file (held at the gate when paused).
    bool WaitStarted(size_t row) {
        return WaitUntil([&] { return comparing.Job(row).startTick.load() != 0; });
    }
    void AddAll(std::initializer_list<FileItem*> items) {
        for (FileItem* item : items) ASSERT_TRUE(engine.AddFile(item)) << item->Name();
    }
    std::vector<FileItem*> FinishedOrder() const {
        std::vector<FileItem*> order;
        for (size_t row = 0; row < finished.RowCount(); ++row) order.push_back(finished.Entry(row).item);
        return order;
    }
};

class CompareEngineWorkersTest : public CompareEngineTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(CompareEngineWorkersTest, FullRunGroupsDuplicatesInComparingOrder) {
    engine.SetWorkerCount(GetParam());
    std::string a = RandomContent(50000, 1);
    std::string c = RandomContent(20000, 2);
    FileItem* a1 = files.AddFile("a1", a);
    FileItem* b = files.AddFile("b", RandomContent(50000, 3));
    FileItem* c1 = files.AddFile("c1", c);
    FileItem* a2 = files.AddFile("a2", a);
    FileItem* c2 = files.AddFile("c2", c);
    FileItem* e1 = files.AddFile("e1", "");
    FileItem* c3 = files.AddFile("c3", c);
    FileItem* e2 = files.AddFile("e2", "");
    std::vector<FileItem*> order{a1, b, c1, a2, c2, e1, c3, e2};
    for (FileItem* item : order) engine.AddFile(item);

    uint32_t before = GetTickCount();
    engine.Start();
    ASSERT_TRUE(WaitAllRowsDigested());
    uint32_t after = GetTickCount();
    EXPECT_EQ(e1->DigestText(), kEmptyDigest);
    EXPECT_LE(e1->hashMillis, after - before) << "a duration, not a tick count";
    EXPECT_EQ(e1->hashMillis, comparing.Job(5).lastTick - comparing.Job(5).startTick);
    engine.CollectFinished();

    EXPECT_EQ(comparing.RowCount(), 0u);
    EXPECT_EQ(FinishedOrder(), order);
    for (FileItem* item : order) {
        EXPECT_EQ(item->compareState.load(), Finished) << item->Name();
        EXPECT_EQ(TextColorOf(item, view), kCollectedColor) << item->Name();
    }
    EXPECT_EQ(c3->DigestText(), DigestTextOf(c));
    EXPECT_EQ(index.CountOfKeyOf(b), 1u);
    EXPECT_EQ(index.CountOfKeyOf(c1), 3u);
    EXPECT_EQ(index.First(MakeDuplicateKey(c.size(), c1->digestText).CStr()), c1) << "first collected first";

    using Shown = std::pair<FileItem*, size_t>;
    EXPECT_EQ(view.shown, (std::vector<Shown>{{a2, 2}, {c2, 2}, {c3, 3}, {e2, 2}}));
    EXPECT_TRUE(WaitUntil([&] { return engine.RunningWorkers() == 0; })) << "workers end on an empty queue";
}

TEST_P(CompareEngineWorkersTest, FurtherPathsOfAFileAreNotReadButTakeItsDigestAndJoinNoGroup) {
    engine.SetWorkerCount(GetParam());
    SameFileLinks links;
    engine.SetSameFileLinks(&links);
    const std::string a = RandomContent(40000, 6);
    FileItem* first = files.AddFile("first", a);
    // Further paths with nothing on disk: reading them would fail.
    FileItem* hard1 = files.AddRecord("hard1", a.size());
    FileItem* copy = files.AddFile("copy", a);
    FileItem* hard2 = files.AddRecord("hard2", a.size());
    FileItem* lonely = files.AddFile("lonely", "one file, two names");
    FileItem* lonelyLink = files.AddRecord("lonely-link", lonely->Size());
    for (auto [extra, of] : {std::pair{hard1, first}, {hard2, first}, {lonelyLink, lonely}})
        ASSERT_TRUE(links.Add(extra, of));

    ASSERT_TRUE(QueueAllSharedSizes(engine, files.catalog));
    EXPECT_EQ(Rows(), (std::vector<FileItem*>{first, hard1, copy, hard2})) << "one file with two names shares no size";
    ASSERT_TRUE(WaitAllRowsDigested());
    engine.CollectFinished();

    EXPECT_EQ(FinishedOrder(), (std::vector<FileItem*>{first, hard1, copy, hard2}));
    for (FileItem* extra : {hard1, hard2}) {
        EXPECT_EQ(extra->DigestText(), DigestTextOf(a));
        EXPECT_EQ(extra->compareState.load(), Finished);
    }
    EXPECT_EQ(index.FileCount(), 2u);
    EXPECT_EQ(index.CountOfKeyOf(first), 2u) << "first and copy: two files, not four";
    EXPECT_EQ(view.shown, (std::vector<std::pair<FileItem*, size_t>>{{copy, 2}}));
    EXPECT_EQ(lonely->compareState.load(), NotCompared);
}

INSTANTIATE_TEST_SUITE_P(OneOrSeveral, CompareEngineWorkersTest, ::testing::Values(1u, 3u));

TEST_F(CompareEngineTest, StopReturnsEveryFileBegunAlsoWhilePausedAndAStartDigestsThemAll) {
    std::vector<FileItem*> items;
    std::vector<std::string> contents;
    for (int i = 0; i < 40; ++i) {
        contents.push_back(RandomContent(100000 + i, uint32_t(100 + i)));
        items.push_back(files.AddFile(testing::Numbered("f", i), contents.back()));
        ASSERT_TRUE(engine.AddFile(items.back()));
    }
    // A worker held at the pause gate before its first read.
    engine.Pause();
    engine.Start();
    ASSERT_TRUE(WaitStarted(0));
    EXPECT_EQ(items[0]->compareState.load(), Queued);
    engine.Stop();  // must not wait for a held worker forever
    EXPECT_EQ(engine.RunningWorkers(), 0u);
    EXPECT_FALSE(engine.IsPaused()) << "a stop ends the pause";
    EXPECT_EQ(items[0]->compareState.load(), NotCompared);
    EXPECT_EQ(comparing.RowCount(), items.size()) << "Stop leaves the rows";

    // Workers stopped in the middle of their files: each hands its file back.
    engine.Start();
    ASSERT_TRUE(WaitUntil([&] { return comparing.Job(0).bytesDone.load() != 0 || IsDigested(items[0]); }));
    engine.Pause();
    engine.Stop();
    for (FileItem* item : items) {
        int32_t state = item->compareState.load();
        EXPECT_TRUE(state == NotCompared || state == Digested) << item->Name() << " left " << state;
    }
    engine.Start();
    ASSERT_TRUE(WaitAllRowsDigested());
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->DigestText(), DigestTextOf(contents[i]));
    engine.CollectFinished();
    EXPECT_EQ(FinishedOrder(), items);
}

TEST_F(CompareEngineTest, CancelKeepsDigestedHeadsAndDropsTheFileBeingRead) {
    std::string small = RandomContent(3000, 4);
    FileItem* small1 = files.AddFile("small1", small);
    FileItem* small2 = files.AddFile("small2", small);
    AddAll({small1, small2});
    engine.Start();
    ASSERT_TRUE(WaitAllRowsDigested());
    ASSERT_TRUE(WaitUntil([&] { return engine.RunningWorkers() == 0; }));

    FileItem* large1 = files.AddSparseFile("large1", kLargeSize);
    FileItem* large2 = files.AddSparseFile("large2", kLargeSize);
    AddAll({large1, large2});
    engine.Pause();
    engine.Start();
    ASSERT_TRUE(WaitStarted(2)) << "a new worker takes the new jobs";
    ASSERT_EQ(large1->compareState.load(), Queued);
    progress.runs.clear();

    engine.CancelAll();

    EXPECT_EQ(FinishedOrder(), (std::vector<FileItem*>{small1, small2}));
    EXPECT_EQ(index.CountOfKeyOf(small1), 2u);
    EXPECT_EQ(comparing.RowCount(), 0u);
    for (FileItem* large : {large1, large2}) {
        EXPECT_EQ(large->compareState.load(), NotCompared);
        EXPECT_EQ(TextColorOf(large, view), kCancelledColor);
    }
    EXPECT_EQ(comparing.queuedBytes, 2 * small.size()) << "the cancelled files leave the queued total";
    ASSERT_EQ(progress.runs.size(), 1u);
    EXPECT_EQ(progress.runs[0].text, "Stop...");
    EXPECT_EQ(progress.runs[0].range, 4);
    EXPECT_EQ(progress.runs[0].steps, 2) << "one step per row left after collection";
    EXPECT_EQ(engine.RunningWorkers(), 0u);
    EXPECT_TRUE(engine.AddFile(large1)) << "a cancelled file can be compared again";
}

TEST_F(CompareEngineTest, AFurtherPathWhoseFirstPathIsCancelledIsCancelledToo) {
    SameFileLinks links;
    engine.SetSameFileLinks(&links);
    FileItem* large = files.AddSparseFile("large", kLargeSize);
    FileItem* hard = files.AddRecord("hard", kLargeSize);
    ASSERT_TRUE(links.Add(hard, large));
    AddAll({large, hard});
    engine.Pause();
    engine.Start();
    ASSERT_TRUE(WaitStarted(0));
    EXPECT_EQ(hard->compareState.load(), Digested) << "nothing to read for it";

    engine.CancelAll();
    EXPECT_TRUE(FinishedOrder().empty());
    for (FileItem* item : {large, hard}) {
        EXPECT_EQ(item->compareState.load(), NotCompared) << item->Name();
        EXPECT_EQ(TextColorOf(item, view), kCancelledColor) << item->Name();
    }
    EXPECT_EQ(comparing.queuedCount, 0u);
}

TEST_F(CompareEngineTest, PauseAndResumeContinueTheSameRead) {
    std::string content = RandomContent(16 << 20, 5);
    FileItem* file = files.AddFile("file", content);
    AddAll({file});
    engine.Pause();
    engine.Start();
    ASSERT_TRUE(WaitStarted(0));
    const CompareJob& job = comparing.Job(0);
    const uint32_t startTick = job.startTick.load();

    // Let it read a little at a time, pausing again as soon as it has moved.
    for (int round = 0; round < 20 && !IsDigested(file); ++round) {
        uint64_t before = job.bytesDone.load();
        engine.Resume();
        ASSERT_TRUE(WaitUntil([&] { return job.bytesDone.load() != before || IsDigested(file); }));
        engine.Pause();
    }
    engine.Resume();
    ASSERT_TRUE(WaitAllRowsDigested());

    EXPECT_EQ(job.startTick.load(), startTick) << "the read was not started over";
    EXPECT_EQ(job.bytesDone.load(), content.size());
    EXPECT_EQ(file->DigestText(), DigestTextOf(content));
}

TEST_F(CompareEngineTest, OnlyNotComparedFilesAreQueuedAndCompareAgainWhileRunningFeedsTheSameWorker) {
    FileItem* large1 = files.AddSparseFile("large1", kLargeSize);
    FileItem* large2 = files.AddSparseFile("large2", kLargeSize);
    FileItem* done = files.AddFile("done", "abc");
    FileItem* scanned = files.AddFile("scanned", "abc");
    done->compareState = Finished;
    scanned->compareState = Provisional;
    progress.ProgressStart("Initialize...", 4);
    AddAll({large1, large2});
    EXPECT_FALSE(engine.AddFile(done));
    EXPECT_FALSE(engine.AddFile(scanned));
    EXPECT_EQ(large1->compareState.load(), NotCompared) << "AddFile leaves the state to Start";
    EXPECT_EQ(TextColorOf(large1, view), kQueuedColor);
    EXPECT_EQ(TextColorOf(done, view), -1);
    EXPECT_EQ(comparing.queuedBytes, 2 * kLargeSize);
    EXPECT_EQ(progress.runs.back().steps, 2);

    engine.Pause();
    engine.Start();
    ASSERT_TRUE(WaitStarted(0));
    EXPECT_EQ(engine.RunningWorkers(), 1u);
    FileItem* small1 = files.AddFile("small1", "twin");
    FileItem* small2 = files.AddFile("small2", "twin");
    for (FileItem* item : {large1, large2}) EXPECT_FALSE(engine.AddFile(item)) << "already queued";
    AddAll({small1, small2});
    engine.Start();
    EXPECT_EQ(engine.RunningWorkers(), 1u) << "no second worker";

    engine.Resume();
    ASSERT_TRUE(WaitAllRowsDigested());
    engine.CollectFinished();
    EXPECT_EQ(FinishedOrder(), (std::vector<FileItem*>{large1, large2, small1, small2}));
    EXPECT_EQ(index.CountOfKeyOf(small2), 2u);
}

TEST_F(CompareEngineTest, StartAfterTheWorkerEndedStartsANewOne) {
    // Many rounds of queueing right as the previous worker runs dry: every job
    // must still be read.
    std::vector<FileItem*> all;
    for (int round = 0; round < 50; ++round) {
        all.push_back(files.AddFile(testing::Numbered("f", round), "x"));
        engine.AddFile(all.back());
        engine.Start();
        if (round % 2 == 0) std::this_thread::yield();
    }
    ASSERT_TRUE(WaitAllRowsDigested());
    engine.CollectFinished();
    EXPECT_EQ(FinishedOrder(), all);
}

TEST_F(CompareEngineTest, ProblemFilesAndFilesChangedSinceTheScanFinishUnopenable) {
    // Missing, link, FIFO, device, a file shorter and one longer than
    // catalogued, /proc/self/mem (whose size, 0, is not the record's), and an
    // unreadable one. A file rewritten at its catalogued size is compared as it is now.
    const std::string content = "the content a link points at";
    FileItem* missing = files.AddRecord("missing", 4096);
    FileItem* target = files.AddFile("target", content);
    ASSERT_EQ(symlink(files.Path("target").c_str(), files.Path("link").c_str()), 0);
    FileItem* link = files.AddRecord("link", content.size());
    ASSERT_EQ(mkfifo(files.Path("fifo").c_str(), 0600), 0);
    FileItem* fifo = files.AddRecord("fifo", content.size());
    FileItem* failing = files.AddRecordAt("/proc/self/mem", 8192);
    FileItem* shrunk = files.AddRecord("shrunk", 100000);
    WriteBytes(files.Path("shrunk"), "now much shorter");
    FileItem* grown = files.AddRecord("grown", 3);
    WriteBytes(files.Path("grown"), "longer than three bytes");
    FileItem* rewritten = files.AddFile("rewritten", "before");
    WriteBytes(files.Path("rewritten"), "after!");
    FileItem* device = files.AddRecordAt("/dev/null", content.size());
    std::vector<FileItem*> order{missing, target, link, fifo, failing, shrunk, grown, rewritten, device};
    if (geteuid() != 0) {
        order.push_back(files.AddFile("locked", content));
        ASSERT_EQ(chmod(files.Path("locked").c_str(), 0), 0);
    }
    for (FileItem* item : order) engine.AddFile(item);
    engine.Start();
    ASSERT_TRUE(WaitAllRowsDigested());
    EXPECT_EQ(comparing.Job(5).bytesDone.load(), 0u) << "a changed file is not read";
    engine.CollectFinished();

    ASSERT_EQ(FinishedOrder(), order) << "rows below a failure are collected";
    EXPECT_EQ(target->DigestText(), DigestTextOf(content));
    EXPECT_EQ(rewritten->DigestText(), DigestTextOf("after!"));
    for (FileItem* item : order) {
        if (item == target || item == rewritten) continue;
        EXPECT_EQ(item->DigestText(), kUnopenableText) << item->Name();
        EXPECT_EQ(item->compareState.load(), Finished) << item->Name();
    }
    const FinishedEntry& entry = finished.Entry(0);
    EXPECT_EQ(entry.elapsedMillis, missing->hashMillis);
    EXPECT_EQ(finished.CellText(0, FinishedList::kStatus), kUnopenableText);
    EXPECT_EQ(finished.CellText(0, FinishedList::kSpeed), FormatRate(4096, entry.elapsedMillis).CStr());
    EXPECT_EQ(finished.CellText(5, FinishedList::kStatus), kUnopenableText) << "changed reads as unopenable";
    EXPECT_EQ(finished.CellText(1, FinishedList::kStatus), "Complete");
    // Each row keeps why, to be told whatever the file has become since.
    EXPECT_EQ(finished.Entry(0).failure.kind, ReadFailure::SystemError);
    EXPECT_EQ(finished.Entry(0).failure.error, ENOENT);
    EXPECT_EQ(finished.Entry(2).failure.error, ELOOP);
    EXPECT_EQ(finished.Entry(5).failure.kind, ReadFailure::SizeChanged);
    EXPECT_EQ(finished.Entry(1).failure.kind, ReadFailure::None);
    EXPECT_EQ(index.FileCount(), 2u) << "an unreadable or changed file is no one's duplicate";
    EXPECT_EQ(index.CountOfKeyOf(target), 1u) << "a link is not a copy of its target";
    EXPECT_TRUE(view.shown.empty());
    EXPECT_EQ(TextColorOf(missing, view), kCollectedColor);
}

TEST_F(CompareEngineTest, DestroyingTheListStopsAHeldWorker) {
    FileItem* large = files.AddSparseFile("large", kLargeSize);
    {
        ComparingList other(finished, index, view, progress);
        other.Engine().AddFile(large);
        other.Engine().Pause();
        other.Engine().Start();
        ASSERT_TRUE(WaitUntil([&] { return other.Job(0).startTick.load() != 0; }));
    }
    EXPECT_EQ(large->compareState.load(), NotCompared);
}

// Files that are never created on disk: the worker finds them unopenable at
// once, which is all these tests need of it.
class CandidateQueueingTest : public testing::CompareFixture {};

TEST_F(CandidateQueueingTest, TickedCategoriesQueueSharedSizesInTableOrderAndOneWithoutThemStillStarts) {
    files.AddRecord("tinyAlone", 200);
    const uint32_t notBands[] = {0, 8, 9};
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, {}));
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, notBands));
    EXPECT_TRUE(progress.runs.empty());
    EXPECT_TRUE(view.repaints.empty());
    const uint32_t tiny[] = {7};
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, tiny));
    EXPECT_EQ(comparing.RowCount(), 0u);
    ASSERT_EQ(progress.runs.size(), 1u);
    EXPECT_EQ(progress.runs[0].range, 1);
    EXPECT_EQ(view.repaints.size(), 1u);

    progress.runs.clear();
    view.repaints.clear();
    FileItem* tiny1 = files.AddRecord("tiny1", 100);
    FileItem* tiny2 = files.AddRecord("tiny2", 100);
    FileItem* large1 = files.AddRecord("large1", 2 << 20);
    FileItem* small1 = files.AddRecord("small1", 20000);
    FileItem* large2 = files.AddRecord("large2", 2 << 20);
    files.AddRecord("small2", 20000);
    FileItem* large3 = files.AddRecord("large3", 3 << 20);
    FileItem* large4 = files.AddRecord("large4", 3 << 20);
    const uint32_t ticked[] = {7, 3};  // order of the list does not matter
    EXPECT_TRUE(QueueSizeCategories(engine, files.catalog, ticked));
    EXPECT_EQ(Rows(), (std::vector<FileItem*>{large3, large4, large1, large2, tiny1, tiny2}));
    EXPECT_EQ(SharedSizeFiles(files.catalog, ticked, nullptr), Rows());
    EXPECT_EQ(small1->compareState.load(), NotCompared) << "category 5 was not ticked";
    for (FileItem* item : Rows()) EXPECT_NE(item->compareState.load(), NotCompared) << "started";
    ASSERT_EQ(progress.runs.size(), 2u);
    EXPECT_EQ(progress.runs[0].text, "Initialize...");
    EXPECT_EQ(progress.runs[0].range, 4) << "every file of the category";
    EXPECT_EQ(progress.runs[1].steps, 2) << "one step per queued file";
    EXPECT_EQ(view.repaints.front(), uint32_t(kRepaintComparingList | kRepaintFileList));
}

TEST_F(CandidateQueueingTest, CompareAllQueuesEveryRegularFileOfSharedSizeOnce) {
    FileItem* big1 = files.AddRecord("big1", 500 << 20);
    files.AddRecord("unique", 12345);
    FileItem* empty1 = files.AddRecord("empty1", 0);
    FileItem* big2 = files.AddRecord("big2", 500 << 20);
    FileItem* empty2 = files.AddRecord("empty2", 0);
    // A regular file sharing its size only with links is left.
    FileItem* link1 = files.AddRecord("link1", 8);
    FileItem* link2 = files.AddRecord("link2", 8);
    files.AddRecord("file", 8);
    for (FileItem* link : {link1, link2}) link->findData.dwFileAttributes = FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_TRUE(QueueAllSharedSizes(engine, files.catalog));
    EXPECT_EQ(Rows(), (std::vector<FileItem*>{big1, big2, empty1, empty2}));
    EXPECT_EQ(SharedSizeFiles(files.catalog, nullptr), Rows());

    // Again, with one more file of a shared size and a link among twins: only
    // the new regular file is queued.
    FileItem* empty3 = files.AddRecord("empty3", 0);
    files.AddRecord("linkOfEmpties", 0)->findData.dwFileAttributes = FILE_ATTRIBUTE_REPARSE_POINT;
    ASSERT_TRUE(WaitAllRowsDigested());
    EXPECT_TRUE(QueueAllSharedSizes(engine, files.catalog));
    EXPECT_EQ(Rows(), (std::vector<FileItem*>{big1, big2, empty1, empty2, empty3}));
    EXPECT_FALSE(QueueAllSharedSizes(engine, files.catalog)) << "nothing left NotCompared";
}

}  // namespace
}  // namespace twinseek
