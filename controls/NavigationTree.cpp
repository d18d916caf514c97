#include "controls/NavigationTree.h"

#include <QHeaderView>

namespace twinseek {

NavigationTree::NavigationTree(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

}  // namespace twinseek
