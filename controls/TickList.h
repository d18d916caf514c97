// A list in report style whose first column holds each row's tick box: rows
// under a header of fixed columns, all of one height, so that drawing and
// scrolling ask only the rows on screen for their cells. Space ticks or clears
// the focused row, whatever cell of it is current.
#pragma once

#include "compare/ListColumn.h"

#include <QTreeView>

#include <span>

namespace twinseek {

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
