// The compare engine, what queues and screens its files, the cells of its lists, and the digests it makes.
#include "compare/CompareEngine.h"

#include "compare/CandidateQueueing.h"
#include "compare/CandidateScreening.h"
#include "compare/FileDigest.h"
#include "compare/Sha1Compress.h"
#include "compare/Sha1Digest.h"
#include "platform/TickCount.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <ostream>
#include <set>

namespace twinseek {

// Reaches the counters a test cannot get to by feeding gigabytes.
struct Sha1DigestTestAccess {
    static uint64_t& ByteCount(Sha1Digest& digest) { return digest.byteCount; }
    static uint8_t* Block(Sha1Digest& digest) { return digest.block; }
};

void PrintTo(Sha1Path path, std::ostream* out) { *out << (path == Sha1Path::Portable ? "Portable" : "ShaExtensions"); }

namespace {

using namespace testing;
using Items = std::vector<FileItem*>;
using Strings = std::vector<std::string>;
using Shown = std::vector<std::pair<FileItem*, size_t>>;

Strings NamesOf(const Items& items) {
    Strings names;
    for (const FileItem* item : items) names.emplace_back(item->Name());
    return names;
}

constexpr uint64_t kLargeSize = 64ull << 20;

class CompareEngineTest : public testing::CompareFixture {
protected:
    static bool IsDigested(const FileItem* item) { return item->compareState.load() == Digested; }
    // Starts a paused engine and waits until its worker has taken the row's file.
    bool HoldAtGate(size_t row = 0) {
        engine.Pause();
        engine.Start();
        return WaitUntil([&] { return comparing.Job(row).startTick.load() != 0; });
    }
    void AddAll(std::initializer_list<FileItem*> items) {
        for (FileItem* item : items) ASSERT_TRUE(engine.AddFile(item)) << item->Name();
    }
    Items FinishedOrder() const {
        Items order;
        for (size_t row = 0; row < finished.RowCount(); ++row) order.push_back(finished.Entry(row).item);
        return order;
    }
};

class CompareEngineWorkersTest : public CompareEngineTest, public ::testing::WithParamInterface<uint32_t> {};

// Further paths of a file (hard links, here with nothing on disk, so that
// reading them would fail) are not read but take its digest, and join no group.
TEST_P(CompareEngineWorkersTest, FullRunGroupsDuplicatesInComparingOrderAndFurtherPathsOfAFileJoinNoGroup) {
    engine.SetWorkerCount(GetParam());
    SameFileLinks links;
    engine.SetSameFileLinks(&links);
    const std::string a = RandomContent(50000, 1), c = RandomContent(20000, 2);
    Items order;
    for (auto [name, content] : {std::pair{"a1", a}, {"b", RandomContent(50000, 3)}, {"c1", c}, {"a2", a}, {"c2", c},
                                 {"e1", ""}, {"c3", c}, {"e2", ""}})
        order.push_back(files.AddFile(name, content));
    // Two further paths of a1, each queued after one of its copies.
    for (size_t at : {1, 5}) {
        order.insert(order.begin() + at, files.AddRecord(testing::Numbered("hard", int(at)), a.size()));
        ASSERT_TRUE(links.Add(order[at], order[0]));
    }
    for (FileItem* item : order) engine.AddFile(item);
    FileItem *a1 = order[0], *b = order[2], *c1 = order[3], *a2 = order[4], *c2 = order[6], *e1 = order[7], *c3 = order[8];

    uint32_t before = GetTickCount();
    engine.Start();
    ASSERT_TRUE(WaitAllRowsDigested());
    uint32_t after = GetTickCount();
    EXPECT_EQ(e1->DigestText(), kEmptyDigest);
    EXPECT_LE(e1->hashMillis, after - before) << "a duration, not a tick count";
    EXPECT_EQ(e1->hashMillis, comparing.Job(7).lastTick - comparing.Job(7).startTick);
    engine.CollectFinished();

    EXPECT_EQ(comparing.RowCount(), 0u);
    EXPECT_EQ(FinishedOrder(), order);
    for (FileItem* item : order) {
        EXPECT_EQ(item->compareState.load(), Finished) << item->Name();
        EXPECT_EQ(TextColorOf(item, view), kCollectedColor) << item->Name();
    }
    for (FileItem* further : {order[1], order[5]}) EXPECT_EQ(further->DigestText(), DigestTextOf(a));
    EXPECT_EQ(c3->DigestText(), DigestTextOf(c));
    EXPECT_EQ(index.FileCount(), 8u);
    EXPECT_EQ(index.CountOfKeyOf(a1), 2u) << "a1 and a2: two files, not four";
    EXPECT_EQ(index.CountOfKeyOf(b), 1u);
    EXPECT_EQ(index.CountOfKeyOf(c1), 3u);
    EXPECT_EQ(index.First(MakeDuplicateKey(c.size(), c1->digestText).CStr()), c1) << "first collected first";
    EXPECT_EQ(view.shown, (Shown{{a2, 2}, {c2, 2}, {c3, 3}, {order[9], 2}}));
    EXPECT_TRUE(WaitUntil([&] { return engine.RunningWorkers() == 0; })) << "workers end on an empty queue";
}

INSTANTIATE_TEST_SUITE_P(OneOrSeveral, CompareEngineWorkersTest, ::testing::Values(1u, 3u));

TEST_F(CompareEngineTest, StopReturnsEveryFileBegunAlsoWhilePausedAndAStartDigestsThemAll) {
    Items items;
    const auto content = [](size_t i) { return RandomContent(100000 + i, uint32_t(100 + i)); };
    for (size_t i = 0; i < 40; ++i)
        ASSERT_TRUE(engine.AddFile(items.emplace_back(files.AddFile(testing::Numbered("f", int(i)), content(i)))));
    ASSERT_TRUE(HoldAtGate()) << "a worker held at the pause gate before its first read";
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
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->DigestText(), DigestTextOf(content(i)));
    engine.CollectFinished();
    EXPECT_EQ(FinishedOrder(), items);
}

// A further path (a hard link) of a file being read has nothing to read itself,
// and is cancelled with its first path.
TEST_F(CompareEngineTest, CancelKeepsDigestedHeadsAndDropsTheFileBeingReadAndItsFurtherPaths) {
    SameFileLinks links;
    engine.SetSameFileLinks(&links);
    const std::string small = RandomContent(3000, 4);
    FileItem *small1 = files.AddFile("small1", small), *small2 = files.AddFile("small2", small);
    AddAll({small1, small2});
    engine.Start();
    ASSERT_TRUE(WaitAllRowsDigested());
    ASSERT_TRUE(WaitUntil([&] { return engine.RunningWorkers() == 0; }));

    FileItem *large1 = files.AddSparseFile("large1", kLargeSize), *large2 = files.AddSparseFile("large2", kLargeSize);
    FileItem* hard = files.AddRecord("hard", kLargeSize);
    ASSERT_TRUE(links.Add(hard, large1));
    AddAll({large1, hard, large2});
    ASSERT_TRUE(HoldAtGate(2)) << "a new worker takes the new jobs";
    engine.Start();
    EXPECT_EQ(engine.RunningWorkers(), 1u) << "no second worker while one runs";
    EXPECT_FALSE(engine.AddFile(large2)) << "already queued";
    ASSERT_EQ(large1->compareState.load(), Queued);
    EXPECT_EQ(hard->compareState.load(), Digested) << "nothing to read for it";
    progress.runs.clear();

    engine.CancelAll();

    EXPECT_EQ(FinishedOrder(), (Items{small1, small2}));
    EXPECT_EQ(index.CountOfKeyOf(small1), 2u);
    EXPECT_EQ(comparing.RowCount(), 0u);
    for (FileItem* large : {large1, hard, large2}) {
        EXPECT_EQ(large->compareState.load(), NotCompared) << large->Name();
        EXPECT_EQ(TextColorOf(large, view), kCancelledColor) << large->Name();
    }
    EXPECT_EQ(comparing.queuedBytes, 2 * small.size()) << "the cancelled files leave the queued total";
    EXPECT_EQ(comparing.queuedCount, 2u);
    ASSERT_EQ(progress.runs.size(), 1u);
    EXPECT_EQ(progress.runs[0].text + " " + std::to_string(progress.runs[0].range), "Stop... 5");
    EXPECT_EQ(progress.runs[0].steps, 3) << "one step per row left after collection";
    EXPECT_EQ(engine.RunningWorkers(), 0u);
    EXPECT_TRUE(engine.AddFile(large1)) << "a cancelled file can be compared again";
    EXPECT_EQ(TextColorOf(large1, view), kQueuedColor);
    EXPECT_FALSE(engine.AddFile(small1)) << "a compared file is not queued";
}

TEST_F(CompareEngineTest, PauseAndResumeContinueTheSameRead) {
    std::string content = RandomContent(16 << 20, 5);
    FileItem* file = files.AddFile("file", content);
    AddAll({file});
    ASSERT_TRUE(HoldAtGate());
    const CompareJob& job = comparing.Job(0);
    const uint32_t startTick = job.startTick.load();
    // Time to reach the pause gate and wait there, so the Resume below must wake it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(job.bytesDone.load(), 0u) << "nothing is read while paused";

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

TEST_F(CompareEngineTest, StartAfterTheWorkerEndedStartsANewOne) {
    // Many rounds of queueing right as the previous worker runs dry: every job
    // must still be read.
    Items all;
    for (int round = 0; round < 50; ++round) {
        engine.AddFile(all.emplace_back(files.AddFile(testing::Numbered("f", round), "x")));
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
    FileItem* rewritten = files.AddFile("rewritten", "before");
    WriteBytes(files.Path("rewritten"), "after!");
    files.Link("link", files.Path("target"));
    ASSERT_EQ(mkfifo(files.Path("fifo").c_str(), 0600), 0);
    WriteBytes(files.Path("shrunk"), "now much shorter");
    WriteBytes(files.Path("grown"), "longer than three bytes");
    Items order{missing, target, files.AddRecord("link", content.size()), files.AddRecord("fifo", content.size()),
                files.AddRecordAt("/proc/self/mem", 8192), files.AddRecord("shrunk", 100000), files.AddRecord("grown", 3),
                rewritten, files.AddRecordAt("/dev/null", content.size())};
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
    EXPECT_EQ(finished.Entry(0).elapsedMillis, missing->hashMillis);
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

// Files never made on disk: the worker finds them unopenable at once, all these tests need.
class CandidateQueueingTest : public testing::CompareFixture {};

TEST_F(CandidateQueueingTest, TickedCategoriesQueueSharedSizesInTableOrderAndOneWithoutThemStillStarts) {
    files.AddRecord("tinyAlone", 200);
    const uint32_t notBands[] = {0, 8, 9};
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, notBands));
    EXPECT_TRUE(progress.runs.empty());
    EXPECT_TRUE(view.repaints.empty());
    const uint32_t tiny[] = {7};
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, tiny));
    EXPECT_EQ(comparing.RowCount(), 0u);
    EXPECT_EQ(view.repaints.size(), 1u);

    progress.runs.clear();
    for (auto [name, size] : {std::pair{"tiny1", 100}, {"tiny2", 100}, {"large1", 2 << 20}, {"small1", 20000},
                              {"large2", 2 << 20}, {"small2", 20000}, {"large3", 3 << 20}, {"large4", 3 << 20}})
        files.AddRecord(name, size);
    const uint32_t ticked[] = {7, 3};  // order of the list does not matter
    EXPECT_TRUE(QueueSizeCategories(engine, files.catalog, ticked));
    EXPECT_EQ(NamesOf(Rows()), (Strings{"large3", "large4", "large1", "large2", "tiny1", "tiny2"}))
        << "category 5 was not ticked";
    EXPECT_EQ(SharedSizeFiles(files.catalog, ticked, nullptr), Rows());
    for (FileItem* item : Rows()) EXPECT_NE(item->compareState.load(), NotCompared) << "started";
    ASSERT_EQ(progress.runs.size(), 2u);
    EXPECT_EQ(progress.runs[0].text, "Initialize...");
    EXPECT_EQ(progress.runs[0].range, 4) << "every file of the category";
    EXPECT_EQ(progress.runs[1].steps, 2) << "one step per queued file";
    EXPECT_EQ(view.repaints.front(), uint32_t(kRepaintComparingList | kRepaintFileList));
}

TEST_F(CandidateQueueingTest, CompareAllQueuesEveryRegularFileOfSharedSizeOnce) {
    const auto link = [&](const char* name, uint64_t size) {
        files.AddRecord(name, size)->findData.dwFileAttributes = FILE_ATTRIBUTE_REPARSE_POINT;
    };
    for (auto [name, size] : {std::pair{"big1", 500 << 20}, {"unique", 12345}, {"empty1", 0}, {"big2", 500 << 20},
                              {"empty2", 0}, {"file", 8}})
        files.AddRecord(name, size);
    // A regular file sharing its size only with links is left, and so is a link among twins.
    link("link1", 8);
    link("link2", 8);
    link("linkOfEmpties", 0);
    EXPECT_TRUE(QueueAllSharedSizes(engine, files.catalog));
    EXPECT_EQ(NamesOf(Rows()), (Strings{"big1", "big2", "empty1", "empty2"}));
    EXPECT_EQ(SharedSizeFiles(files.catalog, nullptr), Rows());
    EXPECT_FALSE(QueueAllSharedSizes(engine, files.catalog)) << "nothing left NotCompared";
}

// Cell texts, totals and timers of the Comparing and Finished lists, over
// job states set by hand (no worker involved).

constexpr char kDigestA[] = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";

using CompareListsTest = testing::CompareFixture;

// Every cell of one row of a list, joined by '|'.
template <typename List>
std::string Cells(const List& list, size_t row) {
    std::string text;
    for (size_t column = 0; column < List::kColumnCount; ++column) text.append(column ? "|" : "").append(list.CellText(row, column));
    return text;
}

TEST_F(CompareListsTest, ProgressColumnsFollowTheJobAndFinishedCellsShowTheOutcome) {
    // Records with no file behind them, queued in the Comparing list.
    testing::RootPtr root = testing::MakeRoot();
    for (auto [name, size] : {std::pair{"waiting.bin", 1536}, {"reading.bin", 4 << 20}, {"empty", 0}, {"quick", 6000}})
        EXPECT_TRUE(engine.AddFile(testing::AddFile(root.get(), name, size)));
    EXPECT_EQ(Cells(comparing, 0), "waiting.bin|1.5 K|0 |0%|00:00:00||0 B/S");
    EXPECT_EQ(Cells(comparing, 4), "||||||") << "no such row";
    EXPECT_EQ(comparing.CellText(2, ComparingList::kPercent), "100%") << "an empty file is done";
    CompareJob& job = comparing.Job(1);
    job.startTick = job.lastTick = 10000;
    EXPECT_EQ(comparing.CellText(1, ComparingList::kLeft), "") << "empty until the first block";
    job.bytesDone = 1 << 20;
    job.lastTick = 13000;
    EXPECT_EQ(Cells(comparing, 1), "reading.bin|4.0 M|1024.0 K|25%|00:00:03|00:00:09|341.3 KB/S");
    job.bytesDone = 4 << 20;
    job.lastTick = 22000;
    EXPECT_EQ(Cells(comparing, 1), "reading.bin|4.0 M|4.0 M|100%|00:00:12|00:00:00|341.3 KB/S");
    CompareJob& quick = comparing.Job(3);
    quick.startTick = quick.lastTick = 500;
    quick.bytesDone = 6000;
    EXPECT_EQ(Cells(comparing, 3), "quick|5.8 K|5.8 K|100%|00:00:00|00:00:00|976.5 KB/S") << "0 ms counts as 6";
    quick.startTick = 0xFFFFFF00u;
    quick.lastTick = 0x00000F00u;  // 4096 ms later, after the counter wrapped
    EXPECT_EQ(comparing.CellText(3, ComparingList::kElapsed), "00:00:04");

    finished.AddEntry({testing::AddFile(root.get(), "good.iso", 3 << 20, kDigestA), 1500});
    finished.AddEntry({testing::AddFile(root.get(), "bad.iso", 1000, kUnopenableText), 0});
    EXPECT_EQ(Cells(finished, 0), "good.iso|3.0 M|Complete|00:00:01|2.0 MB/S");
    EXPECT_EQ(Cells(finished, 1), "bad.iso|1000 |File can not to be opened!|00:00:00|162.7 KB/S") << "full size over 6 ms";
    EXPECT_EQ(finished.finishedBytes, (3u << 20) + 1000u);
    finished.RemoveAll();
    EXPECT_EQ(finished.RowCount(), 0u);
    EXPECT_EQ(finished.finishedCount, 2u) << "totals outlive the rows";
}

// Screening before digesting: the groups it leads to are those of a
// byte-for-byte comparison, it rules out what its samples tell apart and
// nothing else, and what it cannot read goes on to the engine.
using Names = std::set<std::string>;

class CandidateScreeningTest : public testing::CompareFixture, public ::testing::WithParamInterface<uint32_t> {
protected:
    FileItem* Add(const std::string& name, const std::string& content) {
        contents[name] = content;
        return items[name] = files.AddFile(name, content);
    }
    // Marks item compared before with the given digest, whatever its bytes are now.
    static FileItem* Compared(FileItem* item, const std::string& digestText) {
        item->SetDigestText(digestText);
        item->compareState = Finished;
        return item;
    }
    // Screens every shared size, digests what screening chose and collects it.
    Names ScreenAndCompare(std::function<bool(uint64_t)> leaveComparedUnread = {}) {
        Names chosen;
        std::vector<FileItem*> toDigest =
            ScreenCandidates(SharedSizeFiles(files.catalog, nullptr), {GetParam(), {}, leaveComparedUnread});
        for (FileItem* item : toDigest) chosen.emplace(item->Name());
        QueueFiles(engine, toDigest);
        EXPECT_TRUE(WaitAllRowsDigested());
        engine.CollectFinished();
        return chosen;
    }
    std::set<Names> IndexGroups() const {
        std::set<Names> groups;
        index.ForEachDuplicateGroup([&](uint64_t, DuplicateIndex::FileRange range) {
            Names group;
            for (auto it = range.first; it != range.second; ++it) group.emplace((*it)->Name());
            groups.insert(group);
        });
        return groups;
    }
    std::set<Names> ContentGroups() const {
        std::map<std::string, Names> byContent;
        for (const auto& [name, content] : contents) byContent[content].insert(name);
        std::set<Names> groups;
        for (const auto& [content, names] : byContent)
            if (names.size() > 1) groups.insert(names);
        return groups;
    }

    std::map<std::string, std::string> contents;
    std::map<std::string, FileItem*> items;
};

TEST_P(CandidateScreeningTest, FindsTheGroupsOfAByteComparisonAndDigestsOnlyWhatItsSamplesCannotTellApart) {
    // Per size, a file and its copy, and variants that differ from it in the
    // first byte (sharing the rest), the last byte, or a byte in the middle.
    struct Case {
        size_t size;
        bool startRuledOut, endRuledOut;
    };
    const Case cases[] = {{4096, false, false}, {4097, true, false}, {65536, true, false}, {65537, true, true},
                          {300000, true, true}};
    Names ruledOut;
    for (const Case& c : cases) {
        const std::string original = RandomContent(c.size, uint32_t(c.size));
        const std::string name = std::to_string(c.size);
        Add(name + "-original", original);
        Add(name + "-copy", original);
        Add(name + "-start", WithByteFlipped(original, 0));
        Add(name + "-end", WithByteFlipped(original, c.size - 1));
        if (c.size / 2 >= kScreenHeadBytes) Add(name + "-middle", WithByteFlipped(original, c.size / 2));
        if (c.startRuledOut) ruledOut.insert(name + "-start");
        if (c.endRuledOut) ruledOut.insert(name + "-end");
    }
    for (const char* name : {"empty1", "empty2"}) Add(name, "");
    for (const char* name : {"small1", "small2"}) Add(name, "small and alike");
    Add("small-other", "small and Alike");
    Add("unique-size", RandomContent(123456, 1));

    Names expectedChosen;
    for (const auto& [name, content] : contents)
        if (name != "unique-size" && !ruledOut.count(name)) expectedChosen.insert(name);
    EXPECT_EQ(ScreenAndCompare(), expectedChosen);
    EXPECT_EQ(IndexGroups(), ContentGroups());
    EXPECT_EQ(comparing.RowCount(), 0u);
    for (const std::string& name : ruledOut)
        EXPECT_EQ(items[name]->compareState.load(), NotCompared) << name << " stays to be compared another time";
}

TEST_P(CandidateScreeningTest, WhatCannotBeSampledIsDigestedAndFilesComparedBeforeCountAsTheyAre) {
    const size_t size = 10000;
    const std::string a = RandomContent(size, 1);
    const std::string b = WithByteFlipped(a, 0);
    // Missing, a FIFO, a read that fails (this process's memory at offset 0),
    // and a file shorter than its record: the engine finds what it finds, as
    // CompareEngineTest tells.
    files.AddRecord("missing", size);
    ASSERT_EQ(mkfifo(files.Path("fifo").c_str(), 0600), 0);
    files.AddRecord("fifo", size);
    files.AddRecordAt("/proc/self/mem", size);
    files.AddRecord("shrunk", size);
    testing::WriteBytes(files.Path("shrunk"), "short");
    files.AddFile("readable", a);
    // Another size: a file compared before, and an unreadable one, whose
    // digest text is what a failed read gives.
    const std::string c = RandomContent(size + 1, 2);
    FileItem* known = Compared(files.AddFile("known", c), testing::DigestTextOf(c));
    ASSERT_TRUE(index.Insert(known));
    Compared(files.AddFile("unreadable", WithByteFlipped(c, 0)), kUnopenableText);
    files.AddFile("like-known", c);
    files.AddFile("like-unreadable", WithByteFlipped(c, 0));
    // A third: the file compared before is gone, so nothing rules the other out.
    Compared(files.AddRecord("gone", size + 2), testing::DigestTextOf(b));
    files.AddFile("next-to-gone", RandomContent(size + 2, 3));

    EXPECT_EQ(ScreenAndCompare(), (Names{"missing", "fifo", "mem", "shrunk", "like-known", "next-to-gone"}));
    EXPECT_EQ(index.CountOfKeyOf(known), 2u) << "the new copy joins the group of the file compared before";
}

TEST_P(CandidateScreeningTest, WhereComparedFilesStayUnreadTheFilesOfTheirSizeAreDigestedWhole) {
    // The compared file's bytes on disk are no longer those of its digest:
    // sampling it would rule out the copy of what it was.
    const std::string old = RandomContent(20000, 4);
    FileItem* known = Compared(files.AddFile("known", WithByteFlipped(old, 0)), testing::DigestTextOf(old));
    ASSERT_TRUE(index.Insert(known));
    files.AddFile("copy-of-old", old);
    files.AddFile("other", RandomContent(20000, 5));
    // A size without compared files is screened as ever.
    for (const char* name : {"alike1", "alike2"}) files.AddFile(name, RandomContent(30000, 6));
    files.AddFile("unlike", WithByteFlipped(RandomContent(30000, 6), 0));
    EXPECT_EQ(ScreenAndCompare([](uint64_t) { return true; }), (Names{"copy-of-old", "other", "alike1", "alike2"}));
    EXPECT_EQ(index.CountOfKeyOf(known), 2u);
}

INSTANTIATE_TEST_SUITE_P(OneOrSeveralThreads, CandidateScreeningTest, ::testing::Values(1u, 3u));

// The digest of bytes, on either of its paths, and of a file read or mapped.
std::string Hex(const uint8_t* bytes, size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += "0123456789abcdef"[bytes[i] >> 4], text += "0123456789abcdef"[bytes[i] & 15];
    return text;
}

std::string HexOf(const Sha1Digest& digest) {
    uint8_t out[20];
    digest.GetDigest(out);
    return Hex(out, sizeof out);
}

// Digest of message fed in pieces of pieceSize bytes (0 = random piece sizes).
std::string DigestInPieces(Sha1Path path, const std::string& message, size_t pieceSize, std::mt19937& random) {
    Sha1Digest digest(path);
    for (size_t offset = 0; offset < message.size();) {
        size_t piece = std::min(pieceSize != 0 ? pieceSize : random() % 200 + 1, message.size() - offset);
        digest.Update(message.data() + offset, uint32_t(piece));
        offset += piece;
    }
    digest.Final();
    return HexOf(digest);
}

class Sha1DigestPathTest : public ::testing::TestWithParam<Sha1Path> {
protected:
    void SetUp() override {
        if (!Sha1Digest::PathAvailable(GetParam())) GTEST_SKIP() << "processor lacks this path";
    }
};

// Published vectors in pieces of every kind, every split around the first two
// block edges against the portable digest of the whole, Reset, and the Base32 forms.
TEST_P(Sha1DigestPathTest, PublishedVectorsAnySplitOfTheMessageAndBase32) {
    const std::pair<std::string, const char*> vectors[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"}};
    std::mt19937 random(1);
    for (const auto& [message, expected] : vectors)
        for (size_t pieceSize : {message.size() + 1, size_t(1), size_t(1000), size_t(0)})
            EXPECT_EQ(DigestInPieces(GetParam(), message, pieceSize, random), expected)
                << message.size() << " bytes in pieces of " << pieceSize;
    const std::string message = RandomContent(131, 7);
    for (size_t length = 0; length <= 130; ++length) {
        const std::string whole = DigestInPieces(Sha1Path::Portable, message.substr(0, length), length + 1, random);
        for (size_t split = 0; split <= length; ++split) {
            Sha1Digest digest(GetParam());
            digest.Update(message.data(), uint32_t(split));
            digest.Update(message.data() + split, uint32_t(length - split));
            digest.Final();
            ASSERT_EQ(HexOf(digest), whole) << length << " bytes split at " << split;
        }
    }

    Sha1Digest digest(GetParam());  // Reset starts over
    digest.Update("xyz", 3);
    digest.Final();
    digest.Reset();
    digest.Update("abc", 3);
    digest.Final();
    EXPECT_EQ(HexOf(digest), "a9993e364706816aba3e25717850c26c9cd0d89d");
    char text[33];
    std::memset(text, '#', sizeof text);
    digest.GetBase32Text(text);
    EXPECT_STREQ(text, "VGMT4NSHA2AWVOR6EVYXQUGCNSONBWE5");
    EXPECT_EQ(digest.GetBase32Text(true), std::string("urn:sha1:") + text);
}

TEST_P(Sha1DigestPathTest, FinalWritesTheFull64BitLength) {
    // 4 GiB + 3 bytes: the final block is the three pending bytes, the 0x80 marker,
    // zeros and the bit count 0x0000000800000018.
    Sha1Digest digest(GetParam());
    Sha1DigestTestAccess::ByteCount(digest) = 0x100000003u;
    std::memcpy(Sha1DigestTestAccess::Block(digest), "abc", 3);
    digest.Final();

    uint8_t expectedBlock[64] = {'a', 'b', 'c', 0x80};
    expectedBlock[59] = 0x08;
    expectedBlock[63] = 0x18;
    EXPECT_EQ(Hex(Sha1DigestTestAccess::Block(digest), 64), Hex(expectedBlock, 64));
    uint32_t state[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    Sha1CompressPortable(state, expectedBlock, 1);
    uint8_t out[20];
    for (int i = 0; i < 20; ++i) out[i] = uint8_t(state[i / 4] >> (24 - 8 * (i % 4)));
    EXPECT_EQ(HexOf(digest), Hex(out, 20));
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Sha1DigestPathTest, ::testing::Values(Sha1Path::Portable, Sha1Path::ShaExtensions),
                         ::testing::PrintToStringParamName());

// Small files are read, large ones mapped: either way only the size at open counts.
TEST(DigestContentTest, AFileCutShortWhileReadFailsAndOneThatGrowsGivesTheDigestOfItsSizeAtOpen) {
    // Read in pieces, or mapped across a view's edge.
    const size_t read = 3 * kReadPieceSize + 9, mapped = kMappedViewSize + 3 * kReadPieceSize + 5;
    for (auto [size, grows] : {std::pair{read, false}, {read, true}, {mapped, false}, {mapped, true}}) {
        SCOPED_TRACE(std::to_string(size) + (grows ? " grows" : " shrinks"));
        testing::TemporaryTree tree;
        const std::string path = tree.Path("changing"), content = RandomContent(size, uint32_t(size));
        testing::WriteBytes(path, content);
        FileContentReader reader;
        ASSERT_TRUE(reader.Open(path.c_str()));
        Sha1Digest digest;
        std::string buffer(kReadPieceSize, '\0');
        int asked = 0;
        // The change comes after the first piece, and lands in the middle of the view.
        const auto changeOnce = [&] {
            if (++asked != 2) return true;
            if (grows)
                testing::WriteBytes(path, content + "more bytes");
            else
                EXPECT_EQ(truncate(path.c_str(), off_t(2 * kReadPieceSize)), 0);
            return true;
        };
        const ContentEnd end = DigestContent(reader, digest, reinterpret_cast<uint8_t*>(buffer.data()), changeOnce,
                                             [](size_t) {});
        EXPECT_EQ(end, grows ? ContentEnd::Complete : ContentEnd::Failed);
        digest.Final();
        if (grows) {
            EXPECT_EQ(digest.GetBase32Text(false), testing::DigestTextOf(content));
        }
    }
}

}  // namespace
}  // namespace twinseek
