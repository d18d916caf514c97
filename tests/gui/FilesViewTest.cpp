// The files view over a session: size nodes made on expansion, row sets, the
// tree's menu, row colours through a comparison and a stop, and a document
// reopened while its files are listed and compared.
#include "views/FilesView.h"

#include "controls/ReportList.h"
#include "document/HeadlessPrompts.h"
#include "session/AppSession.h"
#include "tests/gui/MainWindowTestSupport.h"
#include "views/CategoryTreeModel.h"
#include "views/FileListModel.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTreeView>

namespace twinseek {
namespace {

using namespace twinseek::testing;

// A session with its files view wired as the main window wires them, each
// model under a tester.
class FilesViewHarness final : public CompareView {
public:
    FilesViewHarness() {
        view->resize(900, 600);
        for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{
                 &view->CategoryTree(), &view->FileListItems(), &view->ComparingItems(), &view->FinishedItems()})
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
    }
    ListId FileListId() const override { return view->FileListId(); }
    void Repaint(uint32_t lists) override { view->Repaint(lists); }
    void ShowInGroup(FileItem*, size_t) override {}

    HeadlessPrompts prompts;
    RecordingProgress progress;
    AppSession session{prompts, progress, *this};
    std::unique_ptr<FilesView> view = std::make_unique<FilesView>(session, progress);
};

struct DocumentFile {
    std::string name;
    std::string content;
    int32_t state = NotCompared;
};

// Writes the files under dir and a document that catalogues them at path.
void StoreDocument(const TemporaryTree& dir, const std::string& path, const std::vector<DocumentFile>& files) {
    HeadlessPrompts prompts;
    Document document(prompts);
    FolderItem* folder = document.root;
    for (const auto& piece : std::filesystem::path(dir.Root())) {
        folder = folder->FindOrCreateFolder(EntryNamed(piece.string(), 0, FILE_ATTRIBUTE_DIRECTORY));
        folder->compareState = NotCompared;
    }
    for (const DocumentFile& file : files) {
        WriteBytes(dir.Path(file.name), file.content);
        FileItem* item = AddFile(folder, file.name, file.content.size(),
                                 file.state == Finished ? DigestTextOf(file.content) : "");
        struct stat status {};
        if (stat(dir.Path(file.name).c_str(), &status) == 0)
            item->findData.ftLastWriteTime = FileTime::FromUnix(status.st_mtim.tv_sec, uint32_t(status.st_mtim.tv_nsec));
        item->compareState = file.state;
        document.catalog.Insert(item->Size(), item);
    }
    document.path = path;
    document.modified = true;
    ASSERT_TRUE(document.Store());
}

QString Label(const QAbstractItemModel& model, const QModelIndex& index) { return model.data(index).toString(); }

class FilesViewTest : public ::testing::Test {
protected:
    void Open(const std::vector<DocumentFile>& files) {
        std::string path = documents.Path("document" + std::to_string(++opened) + ".tws");
        StoreDocument(tree, path, files);
        ASSERT_TRUE(harness.session.OpenFile(path));
    }
    QModelIndex Category(uint32_t id) const { return model().index(int(id) - 1, 0, model().RootIndex()); }
    CategoryTreeModel& model() const { return harness.view->CategoryTree(); }
    void Select(const QModelIndex& node) const { harness.view->CategoryTreeView()->setCurrentIndex(node); }
    FileListModel& files() const { return harness.view->FileListItems(); }

    TemporaryTree tree;
    TemporaryTree documents;
    FilesViewHarness harness;
    int opened = 0;
};

TEST_F(FilesViewTest, SizeNodesAppearOnFirstExpansionAndNodesShowTheirRows) {
    EXPECT_FALSE(model().hasChildren(Category(6))) << "no expand button without sets";
    Open({{"a.txt", std::string(5000, 'a')}, {"b.txt", std::string(5000, 'b')}, {"alone", std::string(7000, 'c')},
          {"c.bin", std::string(2000, 'c')}, {"d.bin", std::string(2000, 'c')}});
    EXPECT_EQ(Label(model(), Category(6)), "Very Small Files [2 Group(s)]");
    EXPECT_EQ(model().data(Category(6), Qt::ToolTipRole).toString(), "Between 10K and 1K");
    EXPECT_TRUE(harness.view->CategoryTreeView()->isExpanded(model().RootIndex()));
    ASSERT_TRUE(model().hasChildren(Category(6)));
    EXPECT_EQ(model().rowCount(Category(6)), 0) << "an expand button before any child";
    harness.view->CategoryTreeView()->expand(Category(6));
    ASSERT_EQ(model().rowCount(Category(6)), 2);
    EXPECT_EQ(Label(model(), model().index(1, 0, Category(6))), "1.9 KB [2 Files]");

    Select(Category(6));
    EXPECT_EQ(Column(files(), 0), (QStringList{"a.txt", "b.txt", "c.bin", "d.bin"}));
    Select(model().index(1, 0, Category(6)));
    EXPECT_EQ(Column(files(), 2), (QStringList{"1.9 KB", "1.9 KB"}));

    // A right click selects the node under the pointer and opens the menu.
    QMenu menu("&Action");
    harness.view->SetContextMenu(&menu);
    harness.view->show();
    QTreeView* tree = harness.view->CategoryTreeView();
    emit tree->customContextMenuRequested(tree->visualRect(Category(6)).center());
    EXPECT_EQ(tree->currentIndex(), Category(6));
    EXPECT_EQ(harness.view->FileListRowCount(), 4) << "selecting shows its files";
    EXPECT_TRUE(menu.isVisible());
}

TEST_F(FilesViewTest, RowsAreRedWhileQueuedBlueOnceCollectedAndBlackAfterAStop) {
    Open({{"one", "same"}, {"two", "same"}, {"three", "diff"}});
    harness.view->show();
    Select(model().RootIndex());
    auto color = [this](int row) { return files().data(files().index(row, 1), Qt::ForegroundRole).value<QColor>(); };
    EXPECT_FALSE(files().data(files().index(0, 0), Qt::ForegroundRole).isValid());

    QSignalSpy painted(&files(), &QAbstractItemModel::dataChanged);
    harness.session.CompareFiles(harness.view->FileListFiles());
    EXPECT_EQ(color(2), QColor(Qt::red));
    ASSERT_EQ(painted.size(), 1) << "the rows on screen are drawn again";
    EXPECT_EQ(painted[0][1].toModelIndex().row(), 2);
    ASSERT_TRUE(WaitUntil([&] {
        for (FileItem* file : harness.view->FileListFiles())
            if (file->compareState != Digested) return false;
        return true;
    }));
    harness.session.Comparing().OnCollectTimer();
    EXPECT_EQ(color(0), QColor(Qt::blue));
    EXPECT_EQ(harness.view->FinishedItems().rowCount(), 3);

    for (FileItem* file : harness.view->FileListFiles()) file->compareState = NotCompared;
    harness.session.Engine().Pause();
    harness.session.CompareFiles(harness.view->FileListFiles());
    harness.session.StopComparison();
    for (int row = 0; row < 3; ++row) EXPECT_EQ(color(row), QColor(Qt::black)) << row;
}

// Told after the files view, just before the records are deleted: counts
// every row the view still shows.
struct RowProbe : DocumentView {
    explicit RowProbe(const FilesView& view) : view(view) {}
    void UpdateFromDocument() override {}
    void CatalogAboutToBeCleared() override {
        const CategoryTreeModel& tree = view.CategoryTree();
        rows = view.FileListRowCount() + view.ComparingItems().rowCount() + view.FinishedItems().rowCount() +
               tree.rowCount(tree.index(6, 0, tree.RootIndex()));
    }
    const FilesView& view;
    int rows = -1;
};

TEST_F(FilesViewTest, AReopenedDocumentLeavesNoRowPointingAtTheOldRecords) {
    Open({{"old1", "same"}, {"old2", "same"}, {"done1", "done", Finished}, {"done2", "done", Finished}});
    Select(model().RootIndex());
    harness.view->CategoryTreeView()->expand(Category(7));
    harness.session.Engine().Pause();
    harness.session.CompareFiles(harness.view->FileListFiles());
    ASSERT_EQ(harness.view->ComparingItems().rowCount() + harness.view->FinishedItems().rowCount(), 4);

    RowProbe probe(*harness.view);
    harness.session.Doc().RegisterView(&probe);
    Open({{"new1", "abc"}, {"new2", "abd"}, {"kept", "k", Finished}});
    harness.session.Doc().UnregisterView(&probe);
    EXPECT_EQ(probe.rows, 0);
    EXPECT_EQ(harness.view->FinishedItems().rowCount(), 1) << "the new document's finished file";
    EXPECT_EQ(Label(model(), model().RootIndex()), "All Files [1 Group(s)]");
}

}  // namespace
}  // namespace twinseek
