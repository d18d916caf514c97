// The item model of the files view's category tree: the core tree's labels and
// tips, an expand button on a category with size sets, and its size nodes made
// when the view first expands it.
#pragma once

#include "catalog/FileCatalog.h"
#include "session/CategoryTree.h"

#include <QAbstractItemModel>

namespace twinseek {

class CategoryTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    // catalog must outlive the model.
    explicit CategoryTreeModel(const FileCatalog& catalog, QObject* parent = nullptr);

    // The root and seven categories with their plain names, no size node.
    void Reset();
    // Reset, then labels counted over the catalogue.
    void Rebuild();
    // Labels and expand buttons counted over the catalogue again, nodes kept.
    void Relabel();

    const CategoryTree::Node* NodeAt(const QModelIndex& index) const;
    QModelIndex RootIndex() const { return index(0, 0); }
    QModelIndex IndexOf(const CategoryTree::Node& node) const;
    // Adds the size nodes of a category the first time it is expanded.
    void ExpandCategory(const QModelIndex& category);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    CategoryTree::Node* NodeOf(const QModelIndex& index) const;

    const FileCatalog& catalog;
    CategoryTree tree;
};

}  // namespace twinseek
