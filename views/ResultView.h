// The result view: the duplicate groups by size category on the left, their
// files with tick boxes on the right, following a running comparison file by
// file and rebuilt from the document after a load or a deletion.
#pragma once

#include "controls/NavigationTree.h"
#include "session/ResultModel.h"
#include "views/TickListModel.h"

#include <QList>
#include <QWidget>

#include <vector>

class QAction;
class QModelIndex;
class QSplitter;
class QTreeView;

namespace twinseek {

class AppSession;
class FileActions;
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
    // The category of the node chosen in the group tree (a group's own
    // category); kAllFilesId when the root or nothing is chosen.
    uint32_t ChosenCategory() const;
    // Commands the file list's context menu offers below its file commands.
    void SetListCommands(QList<QAction*> commands);

    ResultModel& Model() { return model; }
    QTreeView* GroupTreeView() const { return tree; }
    TickList* FileListView() const { return list; }
    GroupTreeModel& GroupTree() const { return *treeModel; }
    ResultListModel& FileListItems() const { return *listModel; }
    FileActions& FileListActions() const { return *listActions; }

private:
    ResultModel model;
    QSplitter* splitter;
    NavigationTree* tree;
    TickList* list;
    GroupTreeModel* treeModel;
    ResultListModel* listModel;
    FileActions* listActions;
};

}  // namespace twinseek
