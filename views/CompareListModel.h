// The table model of the Comparing or the Finished list. It follows the list's
// row notices: rows appended are gathered and told as one insertion at the
// next Flush (and before any removal), rows taken off the head as a removal,
// so views update by rows and never reset.
#pragma once

#include "compare/ListObserver.h"

#include <QAbstractTableModel>

#include <algorithm>

#include <cstddef>
#include <string_view>

namespace twinseek {

template <typename List>
class CompareListModel final : public QAbstractTableModel, private ListObserver {
public:
    // Observes list until destroyed; list must outlive the model.
    explicit CompareListModel(List& list, QObject* parent = nullptr)
        : QAbstractTableModel(parent), list(list), shownRows(int(list.RowCount())) {
        list.SetObserver(this);
    }
    ~CompareListModel() override { list.SetObserver(nullptr); }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : shownRows; }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(List::kColumnCount);
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
        std::string_view text = list.CellText(size_t(index.row()), size_t(index.column()));
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
            return {};
        std::string_view header = List::kColumns[size_t(section)].header;
        return QString::fromUtf8(header.data(), qsizetype(header.size()));
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
    }

    // Tells the views of the rows appended since the last flush.
    void Flush() {
        if (pendingRows == 0) return;
        beginInsertRows({}, shownRows, shownRows + pendingRows - 1);
        shownRows += pendingRows;
        pendingRows = 0;
        endInsertRows();
    }
    // Asks the views to draw these rows again, for texts that moved on.
    void RefreshRows(int first, int last) {
        last = std::min(last, shownRows - 1);
        if (first < 0 || first > last) return;
        emit dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
    }
    int PendingRows() const { return pendingRows; }

private:
    void RowsAppended(size_t count) override { pendingRows += int(count); }
    void HeadRowsAboutToBeRemoved(size_t count) override {
        Flush();
        removing = int(count);
        beginRemoveRows({}, 0, removing - 1);
    }
    void HeadRowsRemoved() override {
        shownRows -= removing;
        endRemoveRows();
    }
    void AllRowsAboutToBeRemoved() override {
        pendingRows = 0;
        removing = shownRows;
        if (removing > 0) beginRemoveRows({}, 0, removing - 1);
    }
    void AllRowsRemoved() override {
        if (removing == 0) return;
        shownRows = 0;
        endRemoveRows();
    }

    List& list;
    int shownRows;        // rows the views know of
    int pendingRows = 0;  // appended since, not told yet
    int removing = 0;
};

}  // namespace twinseek
