#include "compare/CandidateQueueing.h"

#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace twinseek {
namespace {

// Files that are never created on disk: the worker finds them unopenable at
// once, which is all these tests need of it.
class CandidateQueueingTest : public testing::CompareFixture {};

TEST_F(CandidateQueueingTest, TickedCategoriesQueueSharedSizesInTableOrder) {
    FileItem* tiny1 = files.AddRecord("tiny1", 100);
    FileItem* tiny2 = files.AddRecord("tiny2", 100);
    files.AddRecord("tinyAlone", 200);
    FileItem* large1 = files.AddRecord("large1", 2 << 20);
    FileItem* small1 = files.AddRecord("small1", 20000);
    FileItem* large2 = files.AddRecord("large2", 2 << 20);
    files.AddRecord("small2", 20000);
    FileItem* large3 = files.AddRecord("large3", 3 << 20);
    FileItem* large4 = files.AddRecord("large4", 3 << 20);

    const uint32_t ticked[] = {7, 3};  // order of the list does not matter
    EXPECT_TRUE(QueueSizeCategories(engine, files.catalog, ticked));

    EXPECT_EQ(Rows(), (std::vector<FileItem*>{large3, large4, large1, large2, tiny1, tiny2}));
    EXPECT_EQ(small1->compareState.load(), NotCompared) << "category 5 was not ticked";
    for (FileItem* item : Rows()) EXPECT_NE(item->compareState.load(), NotCompared) << "started";
    ASSERT_EQ(progress.runs.size(), 2u);
    EXPECT_EQ(progress.runs[0].text, "Initialize...");
    EXPECT_EQ(progress.runs[0].range, 4) << "every file of the category";
    EXPECT_EQ(progress.runs[1].steps, 2) << "one step per queued file";
    EXPECT_EQ(view.repaints.front(), uint32_t(kRepaintComparingList | kRepaintFileList));
}

TEST_F(CandidateQueueingTest, WithoutSharedSizesNothingIsQueuedButATickedCategoryStillStarts) {
    files.AddRecord("alone", 100);
    const uint32_t notBands[] = {0, 8, 9};
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, {}));
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, notBands));
    EXPECT_TRUE(progress.runs.empty());
    EXPECT_TRUE(view.repaints.empty());
    const uint32_t ticked[] = {7};
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, ticked));
    EXPECT_EQ(comparing.RowCount(), 0u);
    ASSERT_EQ(progress.runs.size(), 1u);
    EXPECT_EQ(progress.runs[0].range, 1);
    EXPECT_EQ(view.repaints.size(), 1u);
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

    // Again, with one more file of a shared size and a link among twins: only
    // the new regular file is queued.
    FileItem* empty3 = files.AddRecord("empty3", 0);
    files.AddRecord("linkOfEmpties", 0)->findData.dwFileAttributes = FILE_ATTRIBUTE_REPARSE_POINT;
    ASSERT_TRUE(testing::WaitUntil([&] {
        for (FileItem* item : Rows())
            if (item->compareState.load() != Digested) return false;
        return true;
    }));
    EXPECT_TRUE(QueueAllSharedSizes(engine, files.catalog));
    EXPECT_EQ(Rows(), (std::vector<FileItem*>{big1, big2, empty1, empty2, empty3}));
    EXPECT_FALSE(QueueAllSharedSizes(engine, files.catalog)) << "nothing left NotCompared";
}

}  // namespace
}  // namespace twinseek
