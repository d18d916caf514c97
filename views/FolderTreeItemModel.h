// The item model of the scan wizard's folder tree: the core tree's items with
// their icons, expand buttons and three-state check boxes. A folder's children
// are made when the view first expands it; a click or the space bar on a box
// applies the core's tick rules, not Qt's own cycling.
#pragma once

#include "scan/FolderTreeModel.h"
#include "scan/FolderTreeObserver.h"

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <QHash>
#include <QSet>

namespace twinseek {

class FolderTreeItemModel final : public QAbstractItemModel, private FolderTreeObserver {
    Q_OBJECT
public:
    // tree must outlive this model; the model observes it from now on.
    explicit FolderTreeItemModel(FolderTreeModel& tree, QObject* parent = nullptr);
    ~FolderTreeItemModel() override;

    FolderTreeModel& Tree() { return tree; }
    FolderNode* NodeAt(const QModelIndex& index) const;
    QModelIndex IndexOf(const FolderNode& node) const;
    // The view expands a folder: the first time, its children are loaded.
    // Asked of the view rather than through fetchMore, which anything that
    // walks the model would call on every folder.
    void ExpandItem(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Only the check state is set, and whatever value comes, the item's box is
    // clicked: a cleared item becomes ticked, any other cleared.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void TreeAboutToBeReset() override;
    void TreeReset() override;
    void ChildrenAboutToBeInserted(const FolderNode& parent, int first, int count) override;
    void ChildrenInserted(const FolderNode& parent, int first, int count) override;
    void CheckStatesChanged(const FolderNode& parent, int first, int last) override;

    QIcon IconOf(const FolderNode& node) const;

    FolderTreeModel& tree;
    QFileIconProvider icons;
    QIcon folderIcon;
    QIcon driveIcon;
    QIcon homeIcon;
    // File icons by extension, asked of the desktop once each.
    mutable QHash<QString, QIcon> fileIcons;
    // Folders whose expansion showed nothing lose their expand button.
    QSet<const FolderNode*> foundEmpty;
};

}  // namespace twinseek
