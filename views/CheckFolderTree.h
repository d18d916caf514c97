// The tree of drives and folders in which the user ticks what to scan: a tree
// view over the core folder tree, filled with the drives when made, a folder's
// contents loaded when first expanded, a box on every item.
#pragma once

#include "scan/DirectoryListing.h"
#include "scan/DriveList.h"
#include "scan/FolderTreeModel.h"

#include <QTreeView>

#include <string>
#include <vector>

namespace twinseek {

class FolderTreeItemModel;

class CheckFolderTree final : public QTreeView {
    Q_OBJECT
public:
    // listing and drives must outlive the tree.
    CheckFolderTree(const DirectoryListing& listing, const DriveSource& drives, QWidget* parent = nullptr);
    ~CheckFolderTree() override;

    FolderTreeModel& Tree() { return tree; }
    FolderTreeItemModel& Items() { return *items; }
    void SelectAll() { tree.SelectAll(); }
    void ClearAll() { tree.ClearAll(); }
    std::vector<std::string> CollectChecked() const { return tree.CollectChecked(); }

private:
    FolderTreeModel tree;
    FolderTreeItemModel* items;
};

}  // namespace twinseek
