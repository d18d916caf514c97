#include "views/FilesView.h"

#include "compare/CompareView.h"
#include "compare/ListColumn.h"
#include "controls/FileActions.h"
#include "controls/NavigationTree.h"
#include "controls/ReportList.h"
#include "controls/WaitCursor.h"
#include "session/AppSession.h"
#include "views/CategoryTreeModel.h"
#include "views/DesktopFileTypes.h"
#include "views/FileListModel.h"

#include <QMenu>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace twinseek {

namespace {

ReportList* MakeList(QWidget* parent, const char* objectName, const QString& accessibleName,
                     QAbstractItemModel* model, std::span<const ListColumn> columns) {
    auto* list = new ReportList(parent);
    list->setObjectName(objectName);
    list->setAccessibleName(accessibleName);
    list->setModel(model);
    list->SetColumnWidths(columns);
    return list;
}

}  // namespace

FilesView::FilesView(AppSession& session, ProgressIndicator& progress, QWidget* parent)
    : QWidget(parent), session(session), progress(progress) {
    setObjectName("filesView");
    setAccessibleName(tr("Files view"));

    treeModel = new CategoryTreeModel(session.Doc().catalog, this);
    fileModel = new FileListModel(
        SharedFileTypeCache(), [](int32_t index) { return SharedDesktopFileTypes().Icon(index); }, this);
    comparingModel = new ComparingListModel(session.Comparing(), this);
    finishedModel = new FinishedListModel(session.Finished(), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    horizontalSplitter = new QSplitter(Qt::Vertical, this);
    horizontalSplitter->setObjectName("filesViewSplitter");
    horizontalSplitter->setChildrenCollapsible(false);
    verticalSplitter = new QSplitter(Qt::Horizontal, horizontalSplitter);
    verticalSplitter->setObjectName("treeListSplitter");
    verticalSplitter->setChildrenCollapsible(false);

    tree = new NavigationTree(verticalSplitter);
    tree->setObjectName("categoryTree");
    tree->setAccessibleName(tr("Size categories"));
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    tree->setModel(treeModel);
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowNode(current); });
    connect(tree, &QTreeView::expanded, treeModel, &CategoryTreeModel::ExpandCategory);
    connect(tree, &QWidget::customContextMenuRequested, this, &FilesView::OpenTreeMenu);

    fileList = MakeList(verticalSplitter, "fileList", tr("Files"), fileModel, FileList::kColumns);
    new FileActions(fileList);
    verticalSplitter->setStretchFactor(1, 1);

    tabs = new QTabWidget(horizontalSplitter);
    tabs->setObjectName("compareTabs");
    tabs->setAccessibleName(tr("Comparison"));
    tabs->setDocumentMode(true);
    comparingList = MakeList(tabs, "comparingList", tr("Comparing"), comparingModel, ComparingList::kColumns);
    finishedList = MakeList(tabs, "finishedList", tr("Finished"), finishedModel, FinishedList::kColumns);
    tabs->addTab(comparingList, tr("Comparing"));
    tabs->addTab(finishedList, tr("Finished"));
    layout->addWidget(horizontalSplitter);
    // The bars between the parts, which the keyboard and the mouse can move.
    horizontalSplitter->setAccessibleName(tr("Files and comparison"));
    horizontalSplitter->handle(1)->setAccessibleName(tr("Divider above the comparison"));
    verticalSplitter->setAccessibleName(tr("Size categories and files"));
    verticalSplitter->handle(1)->setAccessibleName(tr("Divider beside the size categories"));

    session.Doc().RegisterView(this);
    Rebuild();

    // The Comparing list's two timers: progress redrawn every second, finished
    // files collected every two.
    connect(&repaintTimer, &QTimer::timeout, this, [this] {
        this->session.Comparing().OnRepaintTimer();
        FlushLists();
    });
    connect(&collectTimer, &QTimer::timeout, this, [this] { this->session.Comparing().OnCollectTimer(); });
    repaintTimer.start(int(ComparingList::kRepaintIntervalMillis));
    collectTimer.start(int(ComparingList::kCollectIntervalMillis));
}

FilesView::~FilesView() {
    repaintTimer.stop();
    collectTimer.stop();
    session.Doc().UnregisterView(this);
}

int FilesView::FileListRowCount() const { return fileModel->rowCount(); }

std::vector<FileItem*> FilesView::FileListFiles() const {
    std::span<FileItem* const> files = fileModel->List().Files();
    return {files.begin(), files.end()};
}

ListId FilesView::FileListId() const { return fileModel->List().Id(); }

void FilesView::Rebuild() {
    treeModel->Rebuild();
    fileModel->DropRowSets();
    tree->expand(treeModel->RootIndex());
    FlushLists();
}

void FilesView::Refresh() {
    QModelIndex current = tree->currentIndex();
    treeModel->Relabel();
    fileModel->DropRowSets();
    if (current.isValid()) ShowNode(current);
}

void FilesView::CatalogAboutToBeCleared() {
    // Nothing shown may point at a record once the catalogue lets go of them.
    treeModel->Reset();
    fileModel->DropRowSets();
    FlushLists();
}

void FilesView::ShowNode(const QModelIndex& node) {
    const CategoryTree::Node* shown = treeModel->NodeAt(node);
    if (shown == nullptr) return;
    WaitCursor wait;
    fileList->setUpdatesEnabled(false);
    if (shown->kind == CategoryTree::NodeKind::Size)
        fileModel->ShowSize(shown->size, session.Doc().catalog, progress);
    else
        fileModel->ShowCategory(shown->categoryId, session.Doc().catalog, progress);
    fileList->setUpdatesEnabled(true);
}

void FilesView::OpenTreeMenu(const QPoint& position) {
    QModelIndex node = tree->indexAt(position);
    if (node.isValid()) tree->setCurrentIndex(node);
    if (contextMenu) contextMenu->popup(tree->viewport()->mapToGlobal(position));
}

void FilesView::FlushLists() {
    comparingModel->Flush();
    finishedModel->Flush();
}

void FilesView::Repaint(uint32_t lists) {
    if (lists & kRepaintComparingList) {
        comparingModel->Flush();
        auto [first, last] = comparingList->VisibleRows();
        comparingModel->RefreshRows(first, last);
    }
    if (lists & kRepaintFinishedList) {
        finishedModel->Flush();
        auto [first, last] = finishedList->VisibleRows();
        finishedModel->RefreshRows(first, last);
    }
    if (lists & kRepaintFileList) {
        auto [first, last] = fileList->VisibleRows();
        fileModel->RefreshRows(first, last);
    }
}

void FilesView::SetSplitterPositions(int horizontal, int vertical) {
    horizontalSplitter->setSizes({horizontal, std::max(0, horizontalSplitter->height() - horizontal)});
    // Never so narrow that the label of a category is cut.
    vertical = FittedWidth(vertical, tree->WidthToShow(WidestCategoryLabels(true)));
    verticalSplitter->setSizes({vertical, std::max(0, verticalSplitter->width() - vertical)});
}

}  // namespace twinseek
