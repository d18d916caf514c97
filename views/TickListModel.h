// The table model of a list with tick boxes (the result view's file list, the
// delete dialog's list): a tick column, then the five columns of the files
// view, with the core list's ticks, texts and row colours. It follows the
// list's row notices, so views update by rows.
#pragma once

#include "controls/FileActions.h"
#include "controls/TickList.h"
#include "session/FileTypeCache.h"
#include "session/ResultColumns.h"
#include "session/RowObserver.h"
#include "session/TickSpans.h"
#include "views/FileListModel.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinseek {

template <typename List>
class TickListModel final : public QAbstractTableModel, public TickRows, private RowObserver {
public:
    // Observes list until destroyed; list and types must outlive the model.
    // iconOf turns an icon index into its icon.
    TickListModel(List& list, FileTypeCache& types, std::function<QIcon(int32_t)> iconOf, QObject* parent = nullptr)
        : QAbstractTableModel(parent), list(list), types(types), iconOf(std::move(iconOf)) {
        list.SetRowObserver(this);
    }
    ~TickListModel() override { list.SetRowObserver(nullptr); }

    List& Items() const { return list; }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(list.RowCount()); }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(kResultColumnCount);
    }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
        const size_t row = size_t(index.row());
        const size_t column = size_t(index.column());
        switch (role) {
        case Qt::DisplayRole:
            if (column == kTickColumn) return {};
            if (column == kTypeColumn) return Text(types.TypeName(*list.File(row)));
            return Text(list.CellText(row, column));
        case Qt::ToolTipRole:
            // A text cut in the middle shows whole under the mouse.
            if (kResultColumns[column].cut != TextCut::Middle) return {};
            return Text(list.CellText(row, column));
        case Qt::CheckStateRole:
            if (column != kTickColumn) return {};
            return list.IsTicked(row) ? Qt::Checked : Qt::Unchecked;
        case Qt::BackgroundRole:
            if constexpr (requires { list.Background(row); }) return ColorOfRgbValue(list.Background(row));
            return {};
        case Qt::ForegroundRole:
            if constexpr (requires { list.TextColor(row); }) return ColorOfRgbValue(list.TextColor(row));
            return {};
        case kFilePathRole: {
            const std::string_view path = list.File(row)->GetFullPath();
            return QByteArray(path.data(), qsizetype(path.size()));
        }
        case Qt::DecorationRole:
            if (column != kNameColumn || !iconOf) return {};
            if (int32_t icon = types.IconIndex(*list.File(row)); icon >= 0) return iconOf(icon);
            return {};
        default:
            return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override {
        if (role != Qt::CheckStateRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
            index.column() != int(kTickColumn))
            return false;
        list.SetTicked(size_t(index.row()), value.toInt() == Qt::Checked);
        return true;
    }

    void ToggleTicks(const QList<std::pair<int, int>>& spans, int focusedRow) override {
        std::vector<RowSpan> rows;
        for (const auto& [first, last] : spans)
            if (first >= 0 && last >= first) rows.push_back({size_t(first), size_t(last - first + 1)});
        if (focusedRow >= 0) twinseek::ToggleTicks(list, rows, size_t(focusedRow));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
            return {};
        return Text(kResultColumns[size_t(section)].header);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        if (index.column() == int(kTickColumn)) flags |= Qt::ItemIsUserCheckable;
        return flags;
    }

private:
    static QString Text(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

    void RowsAboutToBeInserted(size_t first, size_t count) override {
        beginInsertRows({}, int(first), int(first + count) - 1);
    }
    void RowsInserted() override { endInsertRows(); }
    void RowsAboutToBeRemoved(size_t first, size_t count) override {
        beginRemoveRows({}, int(first), int(first + count) - 1);
    }
    void RowsRemoved() override { endRemoveRows(); }
    void RowsChanged(size_t first, size_t count) override {
        if (count == 0) return;
        emit dataChanged(index(int(first), 0), index(int(first + count) - 1, columnCount() - 1));
    }
    void AboutToReset() override { beginResetModel(); }
    void ResetDone() override { endResetModel(); }

    List& list;
    FileTypeCache& types;
    std::function<QIcon(int32_t)> iconOf;
};

}  // namespace twinseek
