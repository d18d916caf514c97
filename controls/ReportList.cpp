#include "controls/ReportList.h"

#include "controls/ListColumns.h"

#include <QHeaderView>

namespace twinseek {

ReportList::ReportList(QWidget* parent) : QTableView(parent) {
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    // Fixed heights: no row is ever measured, so no cell is read to size it.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

void ReportList::SetColumnWidths(std::span<const ListColumn> columns) {
    ApplyListColumns(*this, *horizontalHeader(), columns);
}

std::pair<int, int> ReportList::VisibleRows() const {
    const int rows = model() ? model()->rowCount() : 0;
    if (rows == 0) return {0, -1};
    int first = rowAt(0);
    int last = rowAt(viewport()->height() - 1);
    if (first < 0) return {0, -1};
    if (last < 0) last = rows - 1;  // the rows end above the bottom
    return {first, last};
}

}  // namespace twinseek
