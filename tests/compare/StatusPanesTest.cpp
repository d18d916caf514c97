#include "compare/StatusPanes.h"

#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

TEST(StatusPanesTest, SizeAndCountTextsCompareFinishedWithQueued) {
    EXPECT_EQ(PaneSizeText(3 << 20, 3 << 19), "Size: 1.5 MB/3.0 MB File(s)   50%");
    EXPECT_EQ(PaneSizeText(3, 1), "Size: 1 B/3 B File(s)   33%") << "the percentage truncates";
    EXPECT_EQ(PaneCountText(12, 3), "Count: 3/12   25%");
    EXPECT_EQ(PaneCountText(5000000000ull, 0), "Count: 0/5000000000   0%") << "counts print in 64 bits";
    EXPECT_EQ(PaneCountText(0, 0), "");
    EXPECT_EQ(PaneSizeText(0, 100), "") << "nothing queued: only the queued total decides";
}

TEST(StatusPanesTest, PanesFollowTheTwoLists) {
    testing::RootPtr root = testing::MakeRoot();
    DuplicateIndex index;
    FinishedList finished;
    NullCompareView view;
    NullProgressIndicator progress;
    ComparingList comparing(finished, index, view, progress);
    EXPECT_EQ(PaneSpeedText(comparing), "") << "before any comparison";

    FileItem* done = testing::AddFile(root.get(), "done", 1 << 20, "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
    FileItem* reading = testing::AddFile(root.get(), "reading", 3 << 20);
    comparing.Engine().AddFile(done);
    comparing.Engine().AddFile(reading);
    comparing.RemoveRow(0);
    finished.AddEntry({done, 10});
    CompareJob& job = comparing.Job(0);
    job.startTick = 1000;
    job.lastTick = 3000;
    job.bytesDone = 1 << 20;

    EXPECT_EQ(PaneSizeText(comparing, finished), "Size: 1024.0 KB/4.0 MB File(s)   25%");
    EXPECT_EQ(PaneCountText(comparing, finished), "Count: 1/2   50%");
    EXPECT_EQ(PaneSpeedText(comparing), "512.0 KB/S");
    EXPECT_EQ(PaneSpeedText(comparing), comparing.CellText(0, ComparingList::kSpeed));

    comparing.RemoveAll();
    EXPECT_EQ(PaneSpeedText(comparing), "") << "empty once the list is";
    EXPECT_EQ(PaneCountText(comparing, finished), "Count: 1/2   50%") << "the totals stay";
}

}  // namespace
}  // namespace twinseek
