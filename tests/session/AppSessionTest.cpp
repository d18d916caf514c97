#include "session/AppSession.h"

#include "document/HeadlessPrompts.h"
#include "tests/session/SessionTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek {
namespace {

using testing::RandomContent;

// Writes down the row changes a list tells, as a table model would follow them.
class RecordingObserver final : public ListObserver {
public:
    void RowsAppended(size_t count) override {
        rows += count;
        events.push_back("append");
    }
    void HeadRowsAboutToBeRemoved(size_t count) override {
        pendingRemoval = count;
        events.push_back("remove head");
    }
    void HeadRowsRemoved() override { rows -= pendingRemoval; }
    void AllRowsAboutToBeRemoved() override { events.push_back("clear"); }
    void AllRowsRemoved() override { rows = 0; }

    size_t rows = 0;
    size_t pendingRemoval = 0;
    std::vector<std::string> events;
};

class AppSessionTest : public ::testing::Test {
protected:
    AppSessionTest() {
        session.Comparing().SetObserver(&comparingObserver);
        session.Finished().SetObserver(&finishedObserver);
    }

    // Catalogues the temporary folder into the session's document.
    void Scan() {
        testing::ScanIntoSession(session, tree.Root());
        session.Doc().modified = false;
    }

    std::vector<FileItem*> CataloguedFiles() const {
        std::vector<FileItem*> files;
        for (const FileCatalog::Entry& entry : session.Doc().catalog) files.push_back(entry.item);
        return files;
    }

    testing::TemporaryTree tree;
    HeadlessPrompts prompts;
    testing::RecordingProgress progress;
    testing::RecordingCompareView view;
    AppSession session{prompts, progress, view};
    RecordingObserver comparingObserver;
    RecordingObserver finishedObserver;
};

TEST_F(AppSessionTest, ComparisonMarksModifiedAndListsFollowByRows) {
    const std::string same = RandomContent(5000, 1);
    testing::WriteBytes(tree.Path("a"), same);
    testing::WriteBytes(tree.Path("b"), same);
    testing::WriteBytes(tree.Path("c"), RandomContent(5000, 2));
    Scan();
    std::vector<FileItem*> files = CataloguedFiles();
    ASSERT_EQ(files.size(), 3u);

    session.Engine().Pause();
    EXPECT_TRUE(session.CompareFiles(files));
    EXPECT_TRUE(session.Doc().modified) << "starting a comparison changes the document";
    EXPECT_TRUE(session.IsComparing());
    EXPECT_TRUE(session.IsPaused());
    EXPECT_EQ(comparingObserver.rows, 3u);
    EXPECT_EQ(progress.runs.back().text, "Initialize...");
    EXPECT_EQ(progress.runs.back().range, 3);
    CompareTotals queued = session.Totals();
    EXPECT_EQ(queued.queuedCount, 3u);
    EXPECT_EQ(queued.queuedBytes, 15000u);

    session.TogglePause();
    EXPECT_FALSE(session.IsPaused());
    ASSERT_TRUE(testing::CollectUntilDone(session));
    EXPECT_EQ(comparingObserver.rows, 0u) << "every collected row was taken off the head";
    EXPECT_EQ(finishedObserver.rows, 3u);
    EXPECT_EQ(session.Totals().finishedCount, 3u);
    for (const std::string& event : comparingObserver.events)
        EXPECT_NE(event, "clear") << "collection never resets the list";
}

TEST_F(AppSessionTest, NewDocumentStopsTheComparisonAndEmptiesBothLists) {
    testing::WriteBytes(tree.Path("a"), "xy");
    testing::WriteBytes(tree.Path("b"), "xz");
    Scan();
    session.Engine().Pause();
    ASSERT_TRUE(session.CompareAllSharedSizes());
    ASSERT_EQ(session.Comparing().RowCount(), 2u);

    session.Doc().modified = false;
    session.Doc().New();
    EXPECT_FALSE(session.IsComparing()) << "no row may outlive the records it points at";
    EXPECT_EQ(comparingObserver.events.back(), "clear");
    EXPECT_EQ(session.Finished().RowCount(), 0u);
    EXPECT_EQ(session.Doc().catalog.Count(), 0u);
}

TEST_F(AppSessionTest, SaveToAndOpenFileRoundTrip) {
    testing::WriteBytes(tree.Path("one"), "same");
    testing::WriteBytes(tree.Path("two"), "same");
    Scan();
    ASSERT_TRUE(session.CompareAllSharedSizes());
    ASSERT_TRUE(testing::CollectUntilDone(session));
    const std::string saved = tree.Path("saved.tws");
    ASSERT_TRUE(session.SaveTo(saved)) << ::testing::PrintToString(prompts.TakeErrors());
    EXPECT_FALSE(session.Doc().modified);
    EXPECT_EQ(session.Doc().path, saved);

    const CompareTotals before = session.Totals();
    ASSERT_TRUE(session.OpenFile(saved));
    EXPECT_EQ(session.Finished().RowCount(), 2u) << "finished files come back in the Finished list";
    EXPECT_EQ(session.Totals().finishedCount, before.finishedCount) << "files not queued now are not counted as done";
    EXPECT_EQ(session.Totals().finishedBytes, before.finishedBytes);
    EXPECT_EQ(session.Doc().duplicates.CountOfKeyOf(session.Finished().Entry(0).item), 2u);
    EXPECT_FALSE(session.OpenFile(tree.Path("missing.tws")));
    EXPECT_EQ(session.Finished().RowCount(), 0u);
    EXPECT_FALSE(prompts.TakeErrors().empty()) << "a failed open says why";
}

}  // namespace
}  // namespace twinseek
