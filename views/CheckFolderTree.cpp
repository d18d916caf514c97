#include "views/CheckFolderTree.h"

#include "views/FolderTreeItemModel.h"

#include <QHeaderView>

namespace twinseek {

CheckFolderTree::CheckFolderTree(const DirectoryListing& listing, const DriveSource& drives, QWidget* parent)
    : QTreeView(parent), tree(listing, drives) {
    setObjectName("folderTree");
    setAccessibleName("Folders");
    setHeaderHidden(true);
    // Every row is one line: the view need not measure a 100,000-entry folder.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    items = new FolderTreeItemModel(tree, this);
    tree.LoadDrives();
    setModel(items);
    connect(this, &QTreeView::expanded, items, &FolderTreeItemModel::ExpandItem);
}

CheckFolderTree::~CheckFolderTree() {
    // The view lets go of the model before the core tree it shows goes.
    setModel(nullptr);
    delete items;
}

}  // namespace twinseek
