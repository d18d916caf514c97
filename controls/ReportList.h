// A list in report style: rows under a header of fixed columns, without grid
// or row numbers. Every row has the same height, so drawing and scrolling ask
// only the rows on screen for their cells, however long the list.
#pragma once

#include "compare/ListColumn.h"

#include <QTableView>

#include <span>
#include <utility>

namespace twinseek {

class ReportList : public QTableView {
    Q_OBJECT
public:
    explicit ReportList(QWidget* parent = nullptr);

    // Column widths and text cuts from the column table, once a model is set.
    void SetColumnWidths(std::span<const ListColumn> columns);
    // The first and last row on screen; first > last when none is.
    std::pair<int, int> VisibleRows() const;
};

}  // namespace twinseek
