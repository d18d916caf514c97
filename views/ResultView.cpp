#include "views/ResultView.h"

#include "compare/ListColumn.h"
#include "controls/FileActions.h"
#include "controls/NavigationTree.h"
#include "controls/TickList.h"
#include "session/AppSession.h"
#include "views/DesktopFileTypes.h"
#include "views/GroupTreeModel.h"

#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace twinseek {

ResultView::ResultView(AppSession& session, QWidget* parent) : QWidget(parent), model(session.Doc()) {
    setObjectName("resultView");
    setAccessibleName(tr("Result view"));
    auto iconOf = [](int32_t index) { return SharedDesktopFileTypes().Icon(index); };
    treeModel = new GroupTreeModel(model, SharedFileTypeCache(), iconOf, this);
    listModel = new ResultListModel(model, SharedFileTypeCache(), iconOf, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName("resultSplitter");
    splitter->setAccessibleName(tr("Groups and files"));
    splitter->setChildrenCollapsible(false);

    tree = new NavigationTree(splitter);
    tree->setObjectName("groupTree");
    tree->setAccessibleName(tr("Duplicate groups"));
    tree->setModel(treeModel);
    tree->expand(treeModel->RootIndex());
    // Every reset leaves the root open.
    connect(treeModel, &QAbstractItemModel::modelReset, this, [this] { tree->expand(treeModel->RootIndex()); });
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowGroup(current); });

    list = new TickList(splitter);
    list->setObjectName("resultList");
    list->setAccessibleName(tr("Duplicate files"));
    list->setModel(listModel);
    list->SetColumnWidths(kResultColumns);
    listActions = new FileActions(list);
    splitter->setStretchFactor(1, 1);
    splitter->handle(1)->setAccessibleName(tr("Divider beside the duplicate groups"));
    layout->addWidget(splitter);
}

ResultView::~ResultView() {
    // The widgets and the item models go before the core model they observe.
    delete splitter;
    delete listModel;
    delete treeModel;
}

int ResultView::TickedCount() const { return int(model.TickedCount()); }

void ResultView::SetSplitterPosition(int vertical) {
    // Never so narrow that the name of a category is cut.
    vertical = FittedWidth(vertical, tree->WidthToShow(WidestCategoryLabels(false)));
    splitter->setSizes({vertical, std::max(0, splitter->width() - vertical)});
}

uint32_t ResultView::ChosenCategory() const {
    const QModelIndex current = tree->currentIndex();
    return current.isValid() ? model.CategoryOfNode(treeModel->NodeAt(current)) : kAllFilesId;
}

void ResultView::SetListCommands(QList<QAction*> commands) { listActions->SetMoreCommands(std::move(commands)); }

void ResultView::ShowGroup(const QModelIndex& node) {
    std::optional<ResultModel::RowRange> rows = model.OnGroupSelected(treeModel->NodeAt(node));
    if (!rows || rows->count == 0) return;
    list->setFocus(Qt::OtherFocusReason);
    // The group's first row becomes the one Space ticks; nothing gets selected.
    const int first = int(rows->first);
    list->selectionModel()->setCurrentIndex(listModel->index(first, 0), QItemSelectionModel::NoUpdate);
    auto [below, above] = CenteringRows(rows->first, rows->first + rows->count - 1, size_t(list->RowsInView()),
                                        model.RowCount());
    list->scrollTo(listModel->index(int(below), 0));
    list->scrollTo(listModel->index(int(above), 0));
}

}  // namespace twinseek
