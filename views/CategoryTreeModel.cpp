#include "views/CategoryTreeModel.h"

#include "controls/WaitCursor.h"

namespace twinseek {

CategoryTreeModel::CategoryTreeModel(const FileCatalog& catalog, QObject* parent)
    : QAbstractItemModel(parent), catalog(catalog) {}

void CategoryTreeModel::Reset() {
    beginResetModel();
    tree.Reset();
    endResetModel();
}

void CategoryTreeModel::Rebuild() {
    beginResetModel();
    tree.Reset();
    tree.Relabel(catalog);
    endResetModel();
}

void CategoryTreeModel::Relabel() {
    tree.Relabel(catalog);
    // One node at a time: a tree view takes up a changed expand button only
    // from a change of a single row.
    emit dataChanged(RootIndex(), RootIndex());
    for (const auto& category : tree.Root().children) {
        QModelIndex at = IndexOf(*category);
        emit dataChanged(at, at);
    }
}

CategoryTree::Node* CategoryTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<CategoryTree::Node*>(index.internalPointer()) : nullptr;
}

const CategoryTree::Node* CategoryTreeModel::NodeAt(const QModelIndex& index) const { return NodeOf(index); }

QModelIndex CategoryTreeModel::IndexOf(const CategoryTree::Node& node) const {
    return createIndex(int(node.row), 0, const_cast<CategoryTree::Node*>(&node));
}

QModelIndex CategoryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) return {};
    if (!parent.isValid()) return IndexOf(const_cast<CategoryTree&>(tree).Root());
    return IndexOf(*NodeOf(parent)->children[size_t(row)]);
}

QModelIndex CategoryTreeModel::parent(const QModelIndex& child) const {
    const CategoryTree::Node* node = NodeOf(child);
    if (node == nullptr || node->parent == nullptr) return {};
    return IndexOf(*node->parent);
}

int CategoryTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const CategoryTree::Node* node = NodeOf(parent);
    return node ? int(node->children.size()) : 1;
}

int CategoryTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool CategoryTreeModel::hasChildren(const QModelIndex& parent) const {
    if (parent.column() > 0) return false;
    const CategoryTree::Node* node = NodeOf(parent);
    return node == nullptr || node->expandable || !node->children.empty();
}

QVariant CategoryTreeModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const CategoryTree::Node& node = *NodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(node.label);
    case Qt::ToolTipRole:
        return node.tip.empty() ? QVariant() : QString::fromStdString(node.tip);
    default:
        return {};
    }
}

Qt::ItemFlags CategoryTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (NodeOf(index)->kind == CategoryTree::NodeKind::Size) flags |= Qt::ItemNeverHasChildren;
    return flags;
}

void CategoryTreeModel::ExpandCategory(const QModelIndex& parent) {
    CategoryTree::Node* node = NodeOf(parent);
    if (node == nullptr || !CategoryTree::NeedsSizeNodes(*node)) return;
    WaitCursor wait;
    std::vector<CategoryTree::SizeSet> sets = CategoryTree::SizeSetsOf(node->categoryId, catalog);
    if (sets.empty()) {
        tree.AddSizeNodes(*node, sets);
        return;
    }
    beginInsertRows(parent, 0, int(sets.size()) - 1);
    tree.AddSizeNodes(*node, sets);
    endInsertRows();
}

}  // namespace twinseek
