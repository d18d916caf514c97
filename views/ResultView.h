// The result view: the duplicate groups by size category on the left, their
// files with tick boxes on the right, following a running comparison file by
// file and rebuilt from the document after a load or a deletion.
#pragma once

#include "controls/NavigationTree.h"
#include "session/ResultModel.h"
#include "views/TickListModel.h"

#include <QWidget>

#include <vector>

class QModelIndex;
class QSplitter;
class QTreeView;

namespace twinseek {

class AppSession;
class GroupTreeModel;
class TickList;

using ResultListModel = TickListModel<ResultModel>;

class ResultView : public QWidget {
    Q_OBJECT
public:
    // Registers its model with the session's document, which must outlive the view.
    explicit ResultView(AppSession& session, QWidget* parent = nullptr);
    ~ResultView() override;

    // Rows ticked for deletion.
    int TickedCount() const;
    // The ticked files in row order, for the delete dialog.
    std::vector<FileItem*> TickedFiles() const { return model.TickedFiles(); }
    // Left/right division, in pixels.
    void SetSplitterPosition(int vertical);
    // A file the comparison has just collected: shown in its group.
    void AddCollectedFile(FileItem* item) { model.AddCollectedFile(item); }
    // A node of the group tree was chosen: a group's rows are highlighted and
    // stand in the middle of the list, which takes the keyboard focus.
    void ShowGroup(const QModelIndex& node);

    ResultModel& Model() { return model; }
    QTreeView* GroupTreeView() const { return tree; }
    TickList* FileListView() const { return list; }
    GroupTreeModel& GroupTree() const { return *treeModel; }
    ResultListModel& FileListItems() const { return *listModel; }

private:
    ResultModel model;
    QSplitter* splitter;
    NavigationTree* tree;
    TickList* list;
    GroupTreeModel* treeModel;
    ResultListModel* listModel;
};

}  // namespace twinseek
