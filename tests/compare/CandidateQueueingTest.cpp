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
    FileItem* small2 = files.AddRecord("small2", 20000);
    FileItem* large3 = files.AddRecord("large3", 3 << 20);
    FileItem* large4 = files.AddRecord("large4", 3 << 20);

    const uint32_t ticked[] = {7, 3};  // order of the list does not matter
    EXPECT_TRUE(QueueSizeCategories(engine, files.catalog, ticked));

    EXPECT_EQ(Rows(), (std::vector<FileItem*>{large3, large4, large1, large2, tiny1, tiny2}));
    EXPECT_EQ(small1->compareState.load(), NotCompared) << "category 5 was not ticked";
    (void)small2;
    for (FileItem* item : Rows()) EXPECT_NE(item->compareState.load(), NotCompared) << "started";
    ASSERT_EQ(progress.runs.size(), 2u);
    EXPECT_EQ(progress.runs[0].text, "Initialize...");
    EXPECT_EQ(progress.runs[0].range, 4) << "every file of the category";
    EXPECT_EQ(progress.runs[1].steps, 2) << "one step per queued file";
    EXPECT_EQ(view.repaints.front(), uint32_t(kRepaintComparingList | kRepaintFileList));
}

TEST_F(CandidateQueueingTest, NoTickedCategoryQueuesNothingAndStartsNothing) {
    files.AddRecord("a", 100);
    files.AddRecord("b", 100);
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, {}));
    const uint32_t notBands[] = {0, 8, 9};
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, notBands));
    EXPECT_EQ(comparing.RowCount(), 0u);
    EXPECT_TRUE(progress.runs.empty());
    EXPECT_TRUE(view.repaints.empty());
}

TEST_F(CandidateQueueingTest, TickedCategoryWithoutSharedSizesStillStarts) {
    files.AddRecord("alone", 100);
    const uint32_t ticked[] = {7};
    EXPECT_FALSE(QueueSizeCategories(engine, files.catalog, ticked));
    ASSERT_EQ(progress.runs.size(), 1u);
    EXPECT_EQ(progress.runs[0].range, 1);
    EXPECT_EQ(view.repaints.size(), 1u);
}

TEST_F(CandidateQueueingTest, CompareAllQueuesEveryFileOfSharedSizeOnce) {
    FileItem* big1 = files.AddRecord("big1", 500 << 20);
    files.AddRecord("unique", 12345);
    FileItem* empty1 = files.AddRecord("empty1", 0);
    FileItem* big2 = files.AddRecord("big2", 500 << 20);
    FileItem* empty2 = files.AddRecord("empty2", 0);
    EXPECT_TRUE(QueueAllSharedSizes(engine, files.catalog));
    EXPECT_EQ(Rows(), (std::vector<FileItem*>{big1, big2, empty1, empty2}));

    // Again, with one more file of a shared size: only the new file is queued.
    FileItem* empty3 = files.AddRecord("empty3", 0);
    ASSERT_TRUE(testing::WaitUntil([&] {
        for (FileItem* item : Rows())
            if (item->compareState.load() != Digested) return false;
        return true;
    }));
    EXPECT_TRUE(QueueAllSharedSizes(engine, files.catalog));
    EXPECT_EQ(Rows(), (std::vector<FileItem*>{big1, big2, empty1, empty2, empty3}));
    EXPECT_FALSE(QueueAllSharedSizes(engine, files.catalog)) << "nothing left NotCompared";
}

TEST_F(CandidateQueueingTest, SymbolicLinksNeitherShareASizeNorAreQueued) {
    FileItem* link1 = files.AddRecord("link1", 8);
    FileItem* link2 = files.AddRecord("link2", 8);
    files.AddRecord("file", 8);
    FileItem* twin1 = files.AddRecord("twin1", 9);
    FileItem* linkOfTwins = files.AddRecord("linkOfTwins", 9);
    FileItem* twin2 = files.AddRecord("twin2", 9);
    for (FileItem* link : {link1, link2, linkOfTwins}) link->findData.dwFileAttributes = FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_TRUE(QueueAllSharedSizes(engine, files.catalog));
    EXPECT_EQ(Rows(), (std::vector<FileItem*>{twin1, twin2})) << "a regular file sharing its size only with links is left";
}

}  // namespace
}  // namespace twinseek
