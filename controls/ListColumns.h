// Sets up a list's columns from their table: each as wide as the table says,
// or wider where its header or its widest text needs more in the list's font,
// and a long text cut in the middle where the table says so.
#pragma once

#include "compare/ListColumn.h"

#include <span>

class QAbstractItemView;
class QHeaderView;
class QString;

namespace twinseek {

// Once the view has its model. The widths are set now only: a column the user
// drags keeps the width given to it.
void ApplyListColumns(QAbstractItemView& view, QHeaderView& header, std::span<const ListColumn> columns);

// The width a cell needs to show text whole in view's font, with the margins
// of the view's style.
int CellWidthFor(const QAbstractItemView& view, const QString& text, bool withIcon = false);

}  // namespace twinseek
