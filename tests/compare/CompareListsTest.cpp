// Cell texts, totals and timers of the Comparing and Finished
// lists, and collection driven by file states set by hand (no worker involved).
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek {
namespace {

using testing::TextColorOf;

constexpr char kDigestA[] = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
constexpr char kDigestB[] = "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB";

class CompareListsTest : public testing::CompareListsFixture {
protected:
    // What the worker leaves behind for a finished file.
    static void MarkDigested(FileItem* item, const char* digest, CompareJob& job, uint32_t start, uint32_t last) {
        item->SetDigestText(digest);
        job.startTick = start;
        job.lastTick = last;
        job.bytesDone = item->Size();
        item->compareState = Digested;
    }
};

// Every cell of one row of a list, joined by '|'.
template <typename List>
std::string Cells(const List& list, size_t row) {
    std::string text;
    for (size_t column = 0; column < List::kColumnCount; ++column) text.append(column ? "|" : "").append(list.CellText(row, column));
    return text;
}

TEST_F(CompareListsTest, ProgressColumnsFollowTheJobAndFinishedCellsShowTheOutcome) {
    Add("waiting.bin", 1536);
    Add("reading.bin", 4 << 20);
    Add("empty", 0);
    Add("quick", 6000);
    EXPECT_EQ(Cells(comparing, 0), "waiting.bin|1.5 K|0 |0%|00:00:00||0 B/S");
    EXPECT_EQ(Cells(comparing, 4), "||||||") << "no such row";
    EXPECT_EQ(comparing.CellText(2, ComparingList::kPercent), "100%") << "an empty file is done";
    CompareJob& job = comparing.Job(1);
    job.startTick = 10000;
    job.lastTick = 10000;
    EXPECT_EQ(comparing.CellText(1, ComparingList::kLeft), "") << "empty until the first block";
    job.bytesDone = 1 << 20;
    job.lastTick = 13000;
    EXPECT_EQ(Cells(comparing, 1), "reading.bin|4.0 M|1024.0 K|25%|00:00:03|00:00:09|341.3 KB/S");
    job.bytesDone = 4 << 20;
    job.lastTick = 22000;
    EXPECT_EQ(Cells(comparing, 1), "reading.bin|4.0 M|4.0 M|100%|00:00:12|00:00:00|341.3 KB/S");
    CompareJob& quick = comparing.Job(3);
    quick.startTick = 500;
    quick.lastTick = 500;
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
    comparing.OnRepaintTimer();
    EXPECT_EQ(view.repaints.size(), repaints) << "nothing to do on an empty list";
    Add("row", 1);
    comparing.OnRepaintTimer();
    EXPECT_EQ(view.repaints.back(), uint32_t(kRepaintComparingList)) << "a list with rows repaints";
}

}  // namespace
}  // namespace twinseek
