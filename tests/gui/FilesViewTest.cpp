// The files view over a session: tree labels and row sets, size nodes made on
// expansion, the tree's menu, row colours through a comparison and a stop, the
// Comparing and Finished lists following by rows, and a document reopened.
#include "controls/ReportList.h"
#include "views/CategoryTreeModel.h"
#include "views/FileListModel.h"
#include "tests/gui/FilesViewTestSupport.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTreeView>

#include <gtest/gtest.h>

namespace twinseek {
namespace {

using testing::DocumentFile;
using testing::FilesViewHarness;

QString Label(const QAbstractItemModel& model, const QModelIndex& index) { return model.data(index).toString(); }

QStringList Column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) texts << model.data(model.index(row, column)).toString();
    return texts;
}

class FilesViewTest : public ::testing::Test {
protected:
    void Open(const std::vector<DocumentFile>& files) {
        std::string path = documents.Path("document" + std::to_string(++opened) + ".tws");
        testing::StoreDocument(tree, path, files);
        ASSERT_TRUE(harness.session.OpenFile(path));
    }
    QModelIndex Category(uint32_t id) const { return model().index(int(id) - 1, 0, model().RootIndex()); }
    CategoryTreeModel& model() const { return harness.view->CategoryTree(); }
    void Select(const QModelIndex& node) const { harness.view->CategoryTreeView()->setCurrentIndex(node); }
    FileListModel& files() const { return harness.view->FileListItems(); }

    testing::TemporaryTree tree;
    testing::TemporaryTree documents;
    FilesViewHarness harness;
    int opened = 0;
};

TEST_F(FilesViewTest, TreeLabelsRowSetsAndSizeNodesMadeOnFirstExpansion) {
    EXPECT_EQ(Label(model(), model().RootIndex()), "All Files [0 Group(s)]");
    EXPECT_FALSE(model().hasChildren(Category(6))) << "no expand button without sets";

    Open({{"a.txt", std::string(5000, 'a')},
          {"b.txt", std::string(5000, 'b')},
          {"alone.txt", std::string(7000, 'c')},
          {"c.bin", std::string(2000, 'c')},
          {"d.bin", std::string(2000, 'c')},
          {"e.bin", std::string(20000, 'e')},
          {"f.bin", std::string(20000, 'f')}});
    EXPECT_EQ(Label(model(), model().RootIndex()), "All Files [3 Group(s)]");
    EXPECT_EQ(Label(model(), Category(6)), "Very Small Files [2 Group(s)]");
    EXPECT_EQ(Label(model(), Category(5)), "Small Files [1 Group(s)]");
    EXPECT_EQ(model().data(Category(6), Qt::ToolTipRole).toString(), "Between 10K and 1K");
    EXPECT_TRUE(harness.view->CategoryTreeView()->isExpanded(model().RootIndex()));

    ASSERT_TRUE(model().hasChildren(Category(6)));
    EXPECT_EQ(model().rowCount(Category(6)), 0) << "an expand button before any child";
    harness.view->CategoryTreeView()->expand(Category(6));
    ASSERT_EQ(model().rowCount(Category(6)), 2);
    EXPECT_EQ(Label(model(), model().index(0, 0, Category(6))), "4.8 KB [2 Files]");
    EXPECT_EQ(Label(model(), model().index(1, 0, Category(6))), "1.9 KB [2 Files]");

    Select(Category(6));
    EXPECT_EQ(Column(files(), 0), (QStringList{"a.txt", "b.txt", "c.bin", "d.bin"}));
    EXPECT_EQ(harness.progress.runs.back().text, "Upload list...");
    Select(model().RootIndex());
    EXPECT_EQ(harness.view->FileListRowCount(), 6);
    Select(model().index(1, 0, Category(6)));
    EXPECT_EQ(Column(files(), 0), (QStringList{"c.bin", "d.bin"}));
    EXPECT_EQ(Column(files(), 2), (QStringList{"1.9 KB", "1.9 KB"}));
    EXPECT_EQ(harness.view->FileListFiles().size(), 2u);
    EXPECT_EQ(files().headerData(4, Qt::Horizontal).toString(), "Date Modified");
    EXPECT_EQ(harness.view->FileListView()->columnWidth(1), 180);
}

TEST_F(FilesViewTest, ARightClickSelectsTheNodeAndOpensTheActionMenu) {
    Open({{"a", "xy"}, {"b", "zz"}});
    QMenu menu("&Action");
    harness.view->SetContextMenu(&menu);
    harness.view->show();
    QTreeView* view = harness.view->CategoryTreeView();
    QPoint point = view->visualRect(Category(7)).center();
    emit view->customContextMenuRequested(point);
    EXPECT_EQ(view->currentIndex(), Category(7));
    EXPECT_EQ(harness.view->FileListRowCount(), 2) << "selecting shows its files";
    EXPECT_TRUE(menu.isVisible());
    menu.close();
}

TEST_F(FilesViewTest, RowsAreRedWhileQueuedBlueOnceCollectedAndBlackAfterAStop) {
    Open({{"one", "same"}, {"two", "same"}, {"three", "diff"}});
    harness.view->show();
    Select(model().RootIndex());
    ASSERT_EQ(files().rowCount(), 3);
    EXPECT_FALSE(files().data(files().index(0, 0), Qt::ForegroundRole).isValid());

    QSignalSpy painted(&files(), &QAbstractItemModel::dataChanged);
    QSignalSpy comparingInserted(&harness.view->ComparingItems(), &QAbstractItemModel::rowsInserted);
    harness.session.CompareFiles(harness.view->FileListFiles());
    EXPECT_EQ(files().data(files().index(2, 3), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    ASSERT_EQ(painted.size(), 1) << "the queued rows are drawn again";
    EXPECT_EQ(painted[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(painted[0][1].toModelIndex().row(), 2);
    ASSERT_EQ(comparingInserted.size(), 1) << "three appends told as one insertion";
    EXPECT_EQ(comparingInserted[0][2].toInt(), 2);

    ASSERT_TRUE(testing::WaitUntil([&] {
        for (FileItem* file : harness.view->FileListFiles())
            if (file->compareState != Digested) return false;
        return true;
    }));
    harness.session.Comparing().OnCollectTimer();
    EXPECT_EQ(files().data(files().index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(Qt::blue));
    EXPECT_EQ(harness.view->FinishedItems().rowCount(), 3);
    EXPECT_EQ(harness.view->ComparingItems().rowCount(), 0);

    for (FileItem* file : harness.view->FileListFiles()) file->compareState = NotCompared;
    harness.session.Engine().Pause();
    harness.session.CompareFiles(harness.view->FileListFiles());
    harness.session.StopComparison();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(files().data(files().index(row, 1), Qt::ForegroundRole).value<QColor>(), QColor(Qt::black)) << row;
}

TEST_F(FilesViewTest, AReopenedDocumentLeavesNoRowPointingAtTheOldRecords) {
    Open({{"old1", "same"}, {"old2", "same"}, {"done1", "done", Finished}, {"done2", "done", Finished}});
    Select(model().RootIndex());
    harness.view->CategoryTreeView()->expand(Category(7));
    harness.session.Engine().Pause();
    harness.session.CompareFiles(harness.view->FileListFiles());
    ASSERT_EQ(harness.view->ComparingItems().rowCount(), 2);
    ASSERT_EQ(harness.view->FinishedItems().rowCount(), 2);

    // Told after the files view, just before the records are deleted.
    struct Probe : DocumentView {
        void UpdateFromDocument() override {}
        void CatalogAboutToBeCleared() override {
            rows = {harness->view->FileListRowCount(), harness->view->ComparingItems().rowCount(),
                    harness->view->FinishedItems().rowCount(), harness->view->CategoryTree().rowCount(
                                                                   harness->view->CategoryTree().index(6, 0, harness->view->CategoryTree().RootIndex()))};
        }
        FilesViewHarness* harness;
        std::vector<int> rows;
    } probe;
    probe.harness = &harness;
    harness.session.Doc().RegisterView(&probe);

    Open({{"new1", "abc"}, {"new2", "abd"}, {"kept", "k", Finished}});
    EXPECT_EQ(probe.rows, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(harness.view->FileListRowCount(), 0);
    EXPECT_EQ(harness.view->FinishedItems().rowCount(), 1) << "the new document's finished file";
    EXPECT_EQ(Label(model(), model().RootIndex()), "All Files [1 Group(s)]");
    harness.session.Doc().UnregisterView(&probe);
}

}  // namespace
}  // namespace twinseek
