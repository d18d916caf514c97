// Cell texts, columns, totals and timers of the Comparing and Finished lists,
// and collection driven by file states set by hand (no worker involved).
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"

#include "tests/catalog/CatalogTestSupport.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek {
namespace {

using testing::MakeRoot;
using testing::RecordingCompareView;
using testing::RecordingProgress;
using testing::TextColorOf;

constexpr char kDigestA[] = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
constexpr char kDigestB[] = "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB";

class CompareListsTest : public ::testing::Test {
protected:
    testing::RootPtr root = MakeRoot();
    DuplicateIndex index;
    FinishedList finished;
    RecordingCompareView view;
    RecordingProgress progress;
    ComparingList comparing{finished, index, view, progress};

    FileItem* Add(const std::string& name, uint64_t size) {
        FileItem* item = testing::AddFile(root.get(), name, size);
        EXPECT_TRUE(comparing.Engine().AddFile(item));
        return item;
    }
    // What the worker leaves behind for a finished file.
    static void MarkDigested(FileItem* item, const char* digest, CompareJob& job, uint32_t start, uint32_t last) {
        item->SetDigestText(digest);
        job.startTick = start;
        job.lastTick = last;
        job.bytesDone = item->Size();
        item->compareState = Digested;
    }
    std::string Cell(size_t row, size_t column) const { return std::string(comparing.CellText(row, column)); }
    std::string FinishedCell(size_t row, size_t column) const {
        return std::string(finished.CellText(row, column));
    }
};

TEST_F(CompareListsTest, RowNotStartedShowsNothingDone) {
    Add("waiting.bin", 1536);
    EXPECT_EQ(Cell(0, ComparingList::kName), "waiting.bin");
    EXPECT_EQ(Cell(0, ComparingList::kSize), "1.5 K");
    EXPECT_EQ(Cell(0, ComparingList::kCompleted), "0 ");
    EXPECT_EQ(Cell(0, ComparingList::kPercent), "0%");
    EXPECT_EQ(Cell(0, ComparingList::kLeft), "");
    EXPECT_EQ(Cell(0, ComparingList::kSpeed), "0 B/S");
    EXPECT_EQ(Cell(1, ComparingList::kName), "") << "no such row";
}

TEST_F(CompareListsTest, ProgressColumnsFollowTheJob) {
    Add("reading.bin", 4 << 20);
    CompareJob& job = comparing.Job(0);
    job.startTick = 10000;
    job.lastTick = 10000;
    EXPECT_EQ(Cell(0, ComparingList::kLeft), "") << "empty until the first block";

    job.bytesDone = 1 << 20;
    job.lastTick = 13000;
    EXPECT_EQ(Cell(0, ComparingList::kCompleted), "1024.0 K");
    EXPECT_EQ(Cell(0, ComparingList::kPercent), "25%");
    EXPECT_EQ(Cell(0, ComparingList::kElapsed), "00:00:03");
    EXPECT_EQ(Cell(0, ComparingList::kLeft), "00:00:09");
    EXPECT_EQ(Cell(0, ComparingList::kSpeed), "341.3 KB/S");

    job.bytesDone = 4 << 20;
    job.lastTick = 22000;
    EXPECT_EQ(Cell(0, ComparingList::kPercent), "100%");
    EXPECT_EQ(Cell(0, ComparingList::kLeft), "00:00:00") << "reaches zero at the end";
}

TEST_F(CompareListsTest, ZeroSizeIsDoneAndZeroElapsedCountsAsSixMillis) {
    Add("empty", 0);
    Add("quick", 6000);
    EXPECT_EQ(Cell(0, ComparingList::kPercent), "100%");
    CompareJob& quick = comparing.Job(1);
    quick.startTick = 500;
    quick.lastTick = 500;
    quick.bytesDone = 6000;
    EXPECT_EQ(Cell(1, ComparingList::kElapsed), "00:00:00");
    EXPECT_EQ(Cell(1, ComparingList::kSpeed), "976.5 KB/S");
    quick.startTick = 0xFFFFFF00u;
    quick.lastTick = 0x00000F00u;  // 4096 ms later, after the counter wrapped
    EXPECT_EQ(Cell(1, ComparingList::kElapsed), "00:00:04");
}

TEST_F(CompareListsTest, FinishedCellsShowOutcomeTimeAndSpeed) {
    FileItem* good = testing::AddFile(root.get(), "good.iso", 3 << 20, kDigestA);
    FileItem* bad = testing::AddFile(root.get(), "bad.iso", 1000, kUnopenableText);
    finished.AddEntry({good, 1500});
    finished.AddEntry({bad, 0});

    EXPECT_EQ(FinishedCell(0, FinishedList::kName), "good.iso");
    EXPECT_EQ(FinishedCell(0, FinishedList::kSize), "3.0 M");
    EXPECT_EQ(FinishedCell(0, FinishedList::kStatus), "Complete");
    EXPECT_EQ(FinishedCell(0, FinishedList::kTime), "00:00:01");
    EXPECT_EQ(FinishedCell(0, FinishedList::kSpeed), "2.0 MB/S");
    EXPECT_EQ(FinishedCell(1, FinishedList::kStatus), "File can not to be opened!");
    EXPECT_EQ(FinishedCell(1, FinishedList::kTime), "00:00:00");
    EXPECT_EQ(FinishedCell(1, FinishedList::kSpeed), "162.7 KB/S") << "full size over 6 ms";

    EXPECT_EQ(finished.finishedBytes, (3u << 20) + 1000u);
    finished.RemoveAll();
    EXPECT_EQ(finished.RowCount(), 0u);
    EXPECT_EQ(finished.finishedCount, 2u) << "totals outlive the rows";
}

TEST_F(CompareListsTest, CollectionTakesDigestedRowsFromTheHeadOnly) {
    FileItem* a = Add("a", 10);
    FileItem* b = Add("b", 10);
    FileItem* c = Add("c", 10);
    MarkDigested(a, kDigestA, comparing.Job(0), 100, 150);
    b->compareState = Queued;
    MarkDigested(c, kDigestA, comparing.Job(2), 200, 260);

    comparing.OnCollectTimer();
    ASSERT_EQ(finished.RowCount(), 1u);
    EXPECT_EQ(finished.Entry(0).item, a);
    EXPECT_EQ(finished.Entry(0).elapsedMillis, 50u);
    EXPECT_EQ(comparing.RowCount(), 2u);
    EXPECT_EQ(c->compareState.load(), Digested) << "rows below an unfinished one wait";
    EXPECT_EQ(view.repaints.back(),
              uint32_t(kRepaintFinishedList | kRepaintComparingList | kRepaintResultFileList | kRepaintFileList));

    MarkDigested(b, kDigestB, comparing.Job(0), 150, 160);
    comparing.OnCollectTimer();
    EXPECT_EQ(comparing.RowCount(), 0u);
    ASSERT_EQ(finished.RowCount(), 3u);
    EXPECT_EQ(finished.Entry(2).item, c);
    EXPECT_EQ(index.CountOfKeyOf(a), 2u);
    EXPECT_EQ(index.CountOfKeyOf(b), 1u);
    using Shown = std::pair<FileItem*, size_t>;
    EXPECT_EQ(view.shown, (std::vector<Shown>{{c, 2}}));
    EXPECT_EQ(TextColorOf(b, view), kCollectedColor);

    size_t repaints = view.repaints.size();
    comparing.OnCollectTimer();
    EXPECT_EQ(view.repaints.size(), repaints) << "nothing to do on an empty list";
}

TEST_F(CompareListsTest, RepaintTimerRepaintsOnlyWhileThereAreRows) {
    comparing.OnRepaintTimer();
    EXPECT_TRUE(view.repaints.empty());
    Add("row", 1);
    comparing.OnRepaintTimer();
    EXPECT_EQ(view.repaints, std::vector<uint32_t>{kRepaintComparingList});
}

}  // namespace
}  // namespace twinseek
