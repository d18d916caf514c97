// The tree on the left of the files view and the result view: one column of
// labels without a header, as wide as its longest label and scrolled sideways
// in a narrow pane, one item chosen at a time, nothing edited in place.
#pragma once

#include <QTreeView>

namespace twinseek {

class NavigationTree : public QTreeView {
    Q_OBJECT
public:
    explicit NavigationTree(QWidget* parent = nullptr);
};

}  // namespace twinseek
