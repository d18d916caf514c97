#include "views/GroupTreeModel.h"

#include <QApplication>
#include <QStyle>

namespace twinseek {

GroupTreeModel::GroupTreeModel(ResultModel& model, FileTypeCache& types, std::function<QIcon(int32_t)> iconOf,
                               QObject* parent)
    : QAbstractItemModel(parent), model(model), types(types), iconOf(std::move(iconOf)) {
    model.SetTreeObserver(this);
}

GroupTreeModel::~GroupTreeModel() { model.SetTreeObserver(nullptr); }

QModelIndex GroupTreeModel::IndexOf(ResultNode node) const {
    if (node == ResultModel::kRootNode) return createIndex(0, 0, quintptr(node));
    return createIndex(int(model.PositionInParent(node)), 0, quintptr(node));
}

ResultNode GroupTreeModel::NodeAt(const QModelIndex& index) const {
    return index.isValid() ? ResultNode(index.internalId()) : ResultModel::kRootNode;
}

QModelIndex GroupTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) return {};
    if (!parent.isValid()) return RootIndex();
    return IndexOf(model.Child(NodeAt(parent), size_t(row)));
}

QModelIndex GroupTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    const ResultNode node = NodeAt(child);
    if (node == ResultModel::kRootNode) return {};
    return IndexOf(model.Parent(node));
}

int GroupTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return parent.isValid() ? int(model.ChildCount(NodeAt(parent))) : 1;
}

int GroupTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant GroupTreeModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const ResultNode node = NodeAt(index);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(model.NodeText(node));
    case Qt::ToolTipRole: {
        std::string_view tip = model.NodeTip(node);
        return tip.empty() ? QVariant() : QString::fromUtf8(tip.data(), qsizetype(tip.size()));
    }
    case Qt::DecorationRole:
        if (FileItem* representative = model.Representative(node)) {
            const int32_t icon = types.IconIndex(*representative);
            return icon >= 0 && iconOf ? QVariant(iconOf(icon)) : QVariant();
        }
        // Closed and open folders for the root and the categories.
        if (folderIcon.isNull()) folderIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        return folderIcon;
    default:
        return {};
    }
}

Qt::ItemFlags GroupTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (model.IsGroupNode(NodeAt(index))) flags |= Qt::ItemNeverHasChildren;
    return flags;
}

void GroupTreeModel::GroupNodeAboutToBeAdded(ResultNode parent, size_t position) {
    beginInsertRows(IndexOf(parent), int(position), int(position));
}

void GroupTreeModel::NodeChanged(ResultNode node) {
    const QModelIndex at = IndexOf(node);
    emit dataChanged(at, at);
}

}  // namespace twinseek
