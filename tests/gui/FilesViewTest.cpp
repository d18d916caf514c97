// The files view: size nodes, row sets and their columns, the tree's menu, row
// colours through a comparison and a stop, and a document reopened while its
// files are compared.
#include "views/FilesView.h"

#include "tests/gui/MainWindowTestSupport.h"

#include <QTreeView>

#include <algorithm>

namespace twinseek::testing {
namespace {

struct DocumentFile {
    std::string name;
    std::string content;
    int32_t state = NotCompared;
};

// The main window's files view, each of its models under a tester.
class FilesViewTest : public MainWindowFixture {
protected:
    FilesViewTest() {
        window.resize(900, 600);
        for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{
                 &view.CategoryTree(), &view.FileListItems(), &view.ComparingItems(), &view.FinishedItems()})
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
    }
    // Writes the files and a document that catalogues them, and opens it.
    void Open(const std::vector<DocumentFile>& entries) {
        HeadlessPrompts prompts;
        Document document(prompts);
        for (const DocumentFile& file : entries) CatalogueFile(document, files, file.name, file.content, file.state);
        document.path = files.Path("document" + std::to_string(++opened) + ".tws");
        document.modified = true;
        ASSERT_TRUE(document.Store());
        ASSERT_TRUE(window.Session().OpenFile(document.path));
    }
    QModelIndex Category(uint32_t id) const { return model().index(int(id) - 1, 0, model().RootIndex()); }
    CategoryTreeModel& model() const { return view.CategoryTree(); }
    void Select(const QModelIndex& node) const { view.CategoryTreeView()->setCurrentIndex(node); }
    FileListModel& List() const { return view.FileListItems(); }

    FilesView& view = window.Files();
    AppSession& session = window.Session();
    int opened = 0;
};

TEST_F(FilesViewTest, SizeNodesAppearOnFirstExpansionAndNodesShowTheirRows) {
    EXPECT_FALSE(model().hasChildren(Category(6))) << "no expand button without sets";
    Open({{"a.txt", std::string(5000, 'a')}, {"b.txt", std::string(5000, 'b')}, {"alone", std::string(7000, 'c')},
          {"c.bin", std::string(2000, 'c')}, {"d.bin", std::string(2000, 'c')}});
    EXPECT_EQ(Category(6).data().toString(), "Very Small Files [2 Group(s)]");
    EXPECT_EQ(Category(6).data(Qt::ToolTipRole).toString(), "Between 10K and 1K");
    EXPECT_TRUE(view.CategoryTreeView()->isExpanded(model().RootIndex()));
    ASSERT_TRUE(model().hasChildren(Category(6)));
    EXPECT_EQ(model().rowCount(Category(6)), 0) << "an expand button before any child";
    view.CategoryTreeView()->expand(Category(6));
    ASSERT_EQ(model().rowCount(Category(6)), 2);
    EXPECT_EQ(model().index(1, 0, Category(6)).data().toString(), "1.9 KB [2 Files]");

    Select(Category(6));
    EXPECT_EQ(Column(List(), 0), (QStringList{"a.txt", "b.txt", "c.bin", "d.bin"}));
    const QModelIndex folder = List().index(0, FileList::kFolder);
    EXPECT_EQ(folder.data(Qt::ToolTipRole), folder.data(Qt::DisplayRole)) << "a path cut in the middle shows whole";
    QHeaderView* header = view.FileListView()->horizontalHeader();
    header->resizeSection(FileList::kSize, 30);  // as a drag does
    Select(model().index(1, 0, Category(6)));
    EXPECT_EQ(Column(List(), 2), (QStringList{"1.9 KB", "1.9 KB"}));
    EXPECT_EQ(header->sectionSize(FileList::kSize), 30) << "a narrowed column stays narrow";

    // A right click selects the node under the pointer and opens the menu.
    QMenu menu("&Action");
    view.SetContextMenu(&menu);
    window.show();
    QTreeView* tree = view.CategoryTreeView();
    emit tree->customContextMenuRequested(tree->visualRect(Category(6)).center());
    EXPECT_EQ(tree->currentIndex(), Category(6));
    EXPECT_EQ(view.FileListRowCount(), 4) << "selecting shows its files";
    EXPECT_TRUE(menu.isVisible());
}

TEST_F(FilesViewTest, RowsAreRedWhileQueuedBlueOnceCollectedAndBlackAfterAStopAndThePanesFollowTheComparison) {
    Open({{"one", std::string(3000, 'x')}, {"two", std::string(3000, 'x')}, {"three", std::string(3000, 'y')}});
    ShowActive();
    Select(model().RootIndex());
    auto color = [this](int row) { return List().data(List().index(row, 1), Qt::ForegroundRole).value<QColor>(); };
    EXPECT_FALSE(List().data(List().index(0, 0), Qt::ForegroundRole).isValid());

    QSignalSpy painted(&List(), &QAbstractItemModel::dataChanged);
    session.CompareFiles(view.FileListFiles());
    EXPECT_EQ(color(2), QColor(Qt::red));
    ASSERT_EQ(painted.size(), 1) << "the rows on screen are drawn again";
    EXPECT_EQ(painted[0][1].toModelIndex().row(), 2);
    window.UpdateCommandStates();
    EXPECT_EQ(window.StatusPanes().Pane(4)->text(), "Elapsed: 00:00:00") << "shown from the start";
    ASSERT_TRUE(WaitUntil([&] {
        return std::ranges::all_of(view.FileListFiles(), [](const FileItem* file) { return file->compareState == Digested; });
    }));
    session.Comparing().OnCollectTimer();
    EXPECT_EQ(color(0), QColor(Qt::blue));
    EXPECT_EQ(view.FinishedItems().rowCount(), 3);
    window.UpdateCommandStates();
    QStringList texts = VisiblePaneTexts(window.StatusPanes());
    ASSERT_EQ(texts.size(), MainStatusBar::kPaneCount);
    texts[4] = texts[4].left(9);  // the time taken varies
    EXPECT_EQ(texts, (QStringList{"Comparison finished: 1 duplicate group; its extra copies hold 2.9 KB",
                                  "Size: 8.7 KB/8.7 KB File(s)   100%", "Count: 3/3   100%", "", "Elapsed: ", "", ""}));
    // A few seconds later "Ready" is back; the timer is hurried here.
    auto* timer = window.findChild<QTimer*>("comparisonEndTextTimer");
    ASSERT_TRUE(timer && timer->isActive());
    timer->start(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusPanes().Pane(0)->text() == "Ready"; }, 5000));

    for (FileItem* file : view.FileListFiles()) file->compareState = NotCompared;
    session.Engine().Pause();
    session.CompareFiles(view.FileListFiles());
    session.StopComparison();
    for (int row = 0; row < 3; ++row) EXPECT_EQ(color(row), QColor(Qt::black)) << row;
}

// Told after the files view, just before the records are deleted: keeps what count gives then.
struct RowProbe : DocumentView {
    void UpdateFromDocument() override {}
    void CatalogAboutToBeCleared() override { rows = count(); }
    std::function<int()> count;
    int rows = -1;
};

TEST_F(FilesViewTest, AReopenedDocumentLeavesNoRowPointingAtTheOldRecords) {
    Open({{"old1", "same"}, {"old2", "same"}, {"done1", "done", Finished}, {"done2", "done", Finished}});
    Select(model().RootIndex());
    view.CategoryTreeView()->expand(Category(7));
    session.Engine().Pause();
    session.CompareFiles(view.FileListFiles());
    ASSERT_EQ(view.ComparingItems().rowCount() + view.FinishedItems().rowCount(), 4);

    RowProbe probe;
    probe.count = [&] {  // every row the view still shows
        return view.FileListRowCount() + view.ComparingItems().rowCount() + view.FinishedItems().rowCount() +
               model().rowCount(Category(7));
    };
    session.Doc().RegisterView(&probe);
    ModalAnswerer dropChanges(QMessageBox::No);
    Open({{"new1", "abc"}, {"new2", "abd"}, {"kept", "k", Finished}});
    session.Doc().UnregisterView(&probe);
    EXPECT_EQ(probe.rows, 0);
    EXPECT_EQ(view.FinishedItems().rowCount(), 1) << "the new document's finished file";
    EXPECT_EQ(model().RootIndex().data().toString(), "All Files [1 Group(s)]");
}

}  // namespace
}  // namespace twinseek::testing
