#include "controls/NavigationTree.h"

#include "controls/ListColumns.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace twinseek {

namespace {

// The room a cell leaves its text, inside the style's margins.
int TextRoom(const QStyleOptionViewItem& option) {
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : nullptr;
    if (!style) return option.rect.width();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget).width() - 2 * margin;
}

// Cuts a label that does not fit before its count, which stays whole.
class CountKeepingDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const int room = TextRoom(*option);
        const QFontMetrics& metrics = option->fontMetrics;
        if (metrics.horizontalAdvance(option->text) <= room) return;
        const std::string label = option->text.toStdString();
        const QString count = QString::fromStdString(label.substr(LabelCountStart(label)));
        const QString head = QString::fromStdString(label.substr(0, LabelCountStart(label)));
        option->text = metrics.elidedText(head, Qt::ElideRight, std::max(0, room - metrics.horizontalAdvance(count))) + count;
    }
};

}  // namespace

NavigationTree::NavigationTree(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    // The column is the tree's width: a long label is cut rather than the
    // tree scrolled sideways, where the labels of the categories would go.
    header()->setSectionResizeMode(QHeaderView::Stretch);
    header()->setStretchLastSection(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new CountKeepingDelegate(this));
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

bool NavigationTree::HasIcons() const {
    return model() && model()->rowCount() > 0 && !model()->index(0, 0).data(Qt::DecorationRole).isNull();
}

int NavigationTree::WidthToShow(std::span<const TreeLabel> labels) const {
    const bool icons = HasIcons();
    int widest = 0;
    for (const TreeLabel& label : labels) {
        const int indent = indentation() * (label.depth + (rootIsDecorated() ? 1 : 0));
        widest = std::max(widest, indent + CellWidthFor(*this, QString::fromStdString(label.text), icons));
    }
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    return widest + 2 * frameWidth() + scrollBar;
}

bool NavigationTree::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect cell = visualRect(index);
        if (index.isValid() && CellWidthFor(*this, text, HasIcons()) > cell.width()) {
            QToolTip::showText(help->globalPos(), text, viewport(), cell);
            return true;
        }
    }
    return QTreeView::viewportEvent(event);
}

}  // namespace twinseek
