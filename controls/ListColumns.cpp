#include "controls/ListColumns.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QStyledItemDelegate>

namespace twinseek {

namespace {

// Cuts a cell's text in the middle, so that both ends of a path stay.
class MiddleCutDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideMiddle;
    }
};

}  // namespace

int CellWidthFor(const QAbstractItemView& view, const QString& text, bool withIcon) {
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    option.fontMetrics = view.fontMetrics();
    option.text = text;
    option.features = QStyleOptionViewItem::HasDisplay;
    if (withIcon) {
        option.features |= QStyleOptionViewItem::HasDecoration;
        const int side = view.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &view);
        option.decorationSize = view.iconSize().isValid() ? view.iconSize() : QSize(side, side);
    }
    option.widget = &view;
    return view.style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), &view).width();
}

void ApplyListColumns(QAbstractItemView& view, QHeaderView& header, std::span<const ListColumn> columns) {
    for (size_t column = 0; column < columns.size(); ++column) {
        const ListColumn& table = columns[column];
        int needed = header.isHidden() ? 0 : header.sectionSizeHint(int(column));
        if (table.widestTexts)
            for (const std::string& text : table.widestTexts())
                needed = std::max(needed, CellWidthFor(view, QString::fromStdString(text)));
        header.resizeSection(int(column), FittedWidth(table.width, needed));
        if (table.cut == TextCut::Middle) view.setItemDelegateForColumn(int(column), new MiddleCutDelegate(&view));
    }
}

}  // namespace twinseek
