// The item model of the result view's group tree: "All Files", the seven size
// categories with their tips, and under each the nodes of its duplicate groups
// with their representative file's icon. It follows the core tree's notices,
// so a group appears or is relabelled without a reset.
#pragma once

#include "session/FileTypeCache.h"
#include "session/ResultModel.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <functional>

namespace twinseek {

class GroupTreeModel final : public QAbstractItemModel, private ResultTreeObserver {
    Q_OBJECT
public:
    // Observes model until destroyed; model and types must outlive this.
    // iconOf turns an icon index into its icon.
    GroupTreeModel(ResultModel& model, FileTypeCache& types, std::function<QIcon(int32_t)> iconOf,
                   QObject* parent = nullptr);
    ~GroupTreeModel() override;

    QModelIndex RootIndex() const { return IndexOf(ResultModel::kRootNode); }
    QModelIndex IndexOf(ResultNode node) const;
    // The node of a valid index; the root for an invalid one.
    ResultNode NodeAt(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void GroupNodeAboutToBeAdded(ResultNode parent, size_t position) override;
    void GroupNodeAdded() override { endInsertRows(); }
    void NodeChanged(ResultNode node) override;
    void TreeAboutToBeReset() override { beginResetModel(); }
    void TreeReset() override { endResetModel(); }

    ResultModel& model;
    FileTypeCache& types;
    std::function<QIcon(int32_t)> iconOf;
    mutable QIcon folderIcon;
};

}  // namespace twinseek
