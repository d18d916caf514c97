// The tree on the left of the files view and the result view: one column of
// labels as wide as the tree, one item chosen at a time; a label too long is
// cut before its count ("holiday photos of 2… [4 Copies]"), whole under the mouse.
#pragma once

#include "catalog/GroupLabels.h"

#include <QTreeView>

#include <span>

namespace twinseek {

class NavigationTree : public QTreeView {
    Q_OBJECT
public:
    explicit NavigationTree(QWidget* parent = nullptr);

    // The width the tree needs, frame and scroll bar included, to show these
    // labels whole at their depths, once its model is set.
    int WidthToShow(std::span<const TreeLabel> labels) const;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    bool HasIcons() const;
};

}  // namespace twinseek
