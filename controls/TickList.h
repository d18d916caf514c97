// A list in report style whose first column holds each row's tick box: rows
// under a header of fixed columns, all of one height, so that drawing and
// scrolling ask only the rows on screen for their cells. Space ticks or clears
// the focused row, whatever cell of it is current, or every selected row when
// the focused one is among several selected.
#pragma once

#include "compare/ListColumn.h"

#include <QTreeView>

#include <span>
#include <utility>

namespace twinseek {

// What a list's model offers so that Space sets many rows at once.
class TickRows {
public:
    virtual ~TickRows() = default;
    // Every row of the spans (first and last row) takes the opposite of the
    // focused row's tick.
    virtual void ToggleTicks(const QList<std::pair<int, int>>& spans, int focusedRow) = 0;
};

// A tree view without branches rather than a table: a table's row header
// moves an entry for every row below each row put in, which a list taking
// thousands of rows between half a million others cannot afford.
class TickList : public QTreeView {
    Q_OBJECT
public:
    explicit TickList(QWidget* parent = nullptr);

    // Column widths and text cuts from the column table, once a model is set.
    void SetColumnWidths(std::span<const ListColumn> columns);
    // How many rows the list window shows at once.
    int RowsInView() const;
    // Ticks the row of index if it is clear, clears it if ticked.
    void ToggleTick(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace twinseek
