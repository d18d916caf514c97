#include "controls/TickList.h"

#include "controls/ListColumns.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace twinseek {

TickList::TickList(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
}

void TickList::SetColumnWidths(std::span<const ListColumn> columns) {
    ApplyListColumns(*this, *header(), columns);
}

int TickList::RowsInView() const {
    int height = model() && model()->rowCount() > 0 ? rowHeight(model()->index(0, 0)) : 0;
    if (height <= 0) height = fontMetrics().height() + 4;
    return std::max(1, viewport()->height() / height);
}

void TickList::ToggleTick(const QModelIndex& index) {
    if (!index.isValid() || !model()) return;
    const QModelIndex tick = index.siblingAtColumn(0);
    const bool ticked = tick.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    model()->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void TickList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
        const int focused = currentIndex().row();
        const QItemSelection selection = selectionModel()->selection();
        auto* rows = dynamic_cast<TickRows*>(model());
        const bool several = selection.size() > 1 || (selection.size() == 1 && selection[0].height() > 1);
        if (rows && several && selectionModel()->isRowSelected(focused)) {
            QList<std::pair<int, int>> spans;
            for (const QItemSelectionRange& range : selection) spans.append({range.top(), range.bottom()});
            rows->ToggleTicks(spans, focused);
        } else {
            ToggleTick(currentIndex());
        }
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace twinseek
