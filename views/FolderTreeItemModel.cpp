#include "views/FolderTreeItemModel.h"

#include "controls/WaitCursor.h"
#include "views/DesktopFileTypes.h"

#include <QDir>

namespace twinseek {

FolderTreeItemModel::FolderTreeItemModel(FolderTreeModel& tree, QObject* parent)
    : QAbstractItemModel(parent), tree(tree) {
    folderIcon = QIcon::fromTheme(QStringLiteral("folder"), icons.icon(QFileIconProvider::Folder));
    driveIcon = QIcon::fromTheme(QStringLiteral("drive-harddisk"), icons.icon(QFileIconProvider::Drive));
    homeIcon = QIcon::fromTheme(QStringLiteral("user-home"), folderIcon);
    tree.SetObserver(this);
}

FolderTreeItemModel::~FolderTreeItemModel() { tree.SetObserver(nullptr); }

FolderNode* FolderTreeItemModel::NodeAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<FolderNode*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeItemModel::IndexOf(const FolderNode& node) const {
    if (node.Parent() == nullptr) return {};
    return createIndex(node.Row(), 0, const_cast<FolderNode*>(&node));
}

QModelIndex FolderTreeItemModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) return {};
    const FolderNode& above = parent.isValid() ? *NodeAt(parent) : tree.Root();
    return IndexOf(above.Child(row));
}

QModelIndex FolderTreeItemModel::parent(const QModelIndex& child) const {
    const FolderNode* node = NodeAt(child);
    return node ? IndexOf(*node->Parent()) : QModelIndex();
}

int FolderTreeItemModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return parent.isValid() ? NodeAt(parent)->ChildCount() : tree.Root().ChildCount();
}

int FolderTreeItemModel::columnCount(const QModelIndex&) const { return 1; }

bool FolderTreeItemModel::hasChildren(const QModelIndex& parent) const {
    if (parent.column() > 0) return false;
    if (!parent.isValid()) return tree.Root().ChildCount() > 0;
    const FolderNode* node = NodeAt(parent);
    return node->ChildCount() > 0 || (node->HasChildren() && !foundEmpty.contains(node));
}

void FolderTreeItemModel::ExpandItem(const QModelIndex& index) {
    FolderNode* node = NodeAt(index);
    if (!node || node->ChildCount() > 0 || !node->HasChildren() || foundEmpty.contains(node)) return;
    WaitCursor wait;
    tree.Expand(*node);
    if (node->ChildCount() == 0) {
        // It could not be listed, or was emptied since: no expand button any more.
        foundEmpty.insert(node);
        emit dataChanged(index, index);
    }
}

QIcon FolderTreeItemModel::IconOf(const FolderNode& node) const {
    if (node.Parent() == &tree.Root()) {
        if (node.Text() == "/") return driveIcon;
        return QFile::decodeName(node.Text().c_str()) == QDir::homePath() ? homeIcon : driveIcon;
    }
    if (node.IsFolder()) return folderIcon;
    const std::string extension = FileTypeCache::ExtensionKey(node.Text());
    const QString key = QString::fromUtf8(extension.data(), qsizetype(extension.size()));
    auto found = fileIcons.constFind(key);
    if (found != fileIcons.constEnd()) return *found;
    DesktopFileTypes& types = SharedDesktopFileTypes();
    return *fileIcons.insert(key, types.Icon(types.IconOfType(extension)));
}

QVariant FolderTreeItemModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const FolderNode& node = *NodeAt(index);
    switch (role) {
    case Qt::DisplayRole:
        return QFile::decodeName(node.Text().c_str());
    case Qt::DecorationRole:
        return IconOf(node);
    case Qt::CheckStateRole:
        switch (node.State()) {
        case CheckState::Unchecked: return Qt::Unchecked;
        case CheckState::PartlyChecked: return Qt::PartiallyChecked;
        case CheckState::Checked: return Qt::Checked;
        }
        return {};
    case Qt::ToolTipRole:
        return node.Parent() == &tree.Root() ? QVariant() : QFile::decodeName(FolderTreeModel::ItemPath(node).c_str());
    default:
        return {};
    }
}

bool FolderTreeItemModel::setData(const QModelIndex& index, const QVariant&, int role) {
    if (role != Qt::CheckStateRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
    tree.ToggleCheck(*NodeAt(index));
    return true;
}

Qt::ItemFlags FolderTreeItemModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

void FolderTreeItemModel::TreeAboutToBeReset() {
    beginResetModel();
    foundEmpty.clear();
}

void FolderTreeItemModel::TreeReset() { endResetModel(); }

void FolderTreeItemModel::ChildrenAboutToBeInserted(const FolderNode& parent, int first, int count) {
    beginInsertRows(IndexOf(parent), first, first + count - 1);
}

void FolderTreeItemModel::ChildrenInserted(const FolderNode&, int, int) { endInsertRows(); }

void FolderTreeItemModel::CheckStatesChanged(const FolderNode& parent, int first, int last) {
    const QModelIndex above = IndexOf(parent);
    emit dataChanged(index(first, 0, above), index(last, 0, above), {Qt::CheckStateRole});
}

}  // namespace twinseek
