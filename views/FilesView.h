// The files view: the size-category tree and the candidate file list above,
// the Comparing and Finished lists on tabs below, and the two timers that keep
// those lists moving while a comparison runs.
#pragma once

#include "catalog/FileItem.h"
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "controls/NavigationTree.h"
#include "document/DocumentView.h"
#include "views/CompareListModel.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

class QMenu;
class QModelIndex;
class QSplitter;
class QTabWidget;
class QTreeView;

namespace twinseek {

class AppSession;
class CategoryTreeModel;
class FileItem;
class FileListModel;
class ProgressIndicator;
class ReportList;

using ComparingListModel = CompareListModel<ComparingList>;
using FinishedListModel = CompareListModel<FinishedList>;

class FilesView : public QWidget, private DocumentView {
    Q_OBJECT
public:
    // Registers with the session's document and observes its lists; the
    // session and progress must outlive the view.
    FilesView(AppSession& session, ProgressIndicator& progress, QWidget* parent = nullptr);
    ~FilesView() override;

    // Rows of the file list and their files, in display order.
    int FileListRowCount() const;
    std::vector<FileItem*> FileListFiles() const;
    // The identity of the file list, under which the compare engine stores row colours.
    ListId FileListId() const;
    // Rebuilds the category tree and the file list from the document: plain
    // tree relabelled, no size node, no row set, nothing selected.
    void Rebuild();
    // After a committed scan: labels counted again, row sets dropped, and the
    // node selected shown again from the new catalogue.
    void Refresh();
    // Repaints the lists whose RepaintList bits are set.
    void Repaint(uint32_t lists);
    // Upper/lower and left/right divisions, in pixels.
    void SetSplitterPositions(int horizontal, int vertical);
    // The menu a right click in the category tree opens.
    void SetContextMenu(QMenu* menu) { contextMenu = menu; }

    // Shows the files of a node of the category tree in the file list.
    void ShowNode(const QModelIndex& node);

    QTreeView* CategoryTreeView() const { return tree; }
    ReportList* FileListView() const { return fileList; }
    ReportList* ComparingListView() const { return comparingList; }
    ReportList* FinishedListView() const { return finishedList; }
    QTabWidget* CompareTabs() const { return tabs; }
    CategoryTreeModel& CategoryTree() const { return *treeModel; }
    FileListModel& FileListItems() const { return *fileModel; }
    ComparingListModel& ComparingItems() const { return *comparingModel; }
    FinishedListModel& FinishedItems() const { return *finishedModel; }

private:
    void UpdateFromDocument() override { Rebuild(); }
    void CatalogAboutToBeCleared() override;
    void OpenTreeMenu(const QPoint& position);
    // Tells the views of rows appended to the Comparing and Finished lists.
    void FlushLists();

    AppSession& session;
    ProgressIndicator& progress;
    QSplitter* horizontalSplitter;
    QSplitter* verticalSplitter;
    NavigationTree* tree;
    ReportList* fileList;
    QTabWidget* tabs;
    ReportList* comparingList;
    ReportList* finishedList;
    CategoryTreeModel* treeModel;
    FileListModel* fileModel;
    ComparingListModel* comparingModel;
    FinishedListModel* finishedModel;
    QTimer repaintTimer;
    QTimer collectTimer;
    QMenu* contextMenu = nullptr;
};

}  // namespace twinseek
