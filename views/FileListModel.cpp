#include "views/FileListModel.h"

#include "controls/FileActions.h"

#include <QColor>
#include <QIcon>

#include <algorithm>

namespace twinseek {

QColor ColorOfRgbValue(uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

FileListModel::FileListModel(FileTypeCache& types, std::function<QIcon(int32_t)> iconOf, QObject* parent)
    : QAbstractTableModel(parent), list(types), iconOf(std::move(iconOf)) {}

void FileListModel::ShowCategory(uint32_t id, const FileCatalog& catalog, ProgressIndicator& progress) {
    beginResetModel();
    list.ShowCategory(id, catalog, progress);
    endResetModel();
}

void FileListModel::ShowSize(uint64_t size, const FileCatalog& catalog, ProgressIndicator& progress) {
    beginResetModel();
    list.ShowSize(size, catalog, progress);
    endResetModel();
}

void FileListModel::DropRowSets() {
    beginResetModel();
    list.DropRowSets();
    endResetModel();
}

void FileListModel::RefreshRows(int first, int last) {
    last = std::min(last, rowCount() - 1);
    if (first < 0 || first > last) return;
    emit dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::ForegroundRole});
}

int FileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(list.RowCount()); }

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(FileList::kColumnCount);
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const size_t row = size_t(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        std::string_view text = list.CellText(row, size_t(index.column()));
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    case Qt::ToolTipRole:
        // A text cut in the middle shows whole under the mouse.
        if (FileList::kColumns[size_t(index.column())].cut != TextCut::Middle) return {};
        return data(index, Qt::DisplayRole);
    case Qt::ForegroundRole:
        if (std::optional<uint32_t> color = list.TextColor(row)) return ColorOfRgbValue(*color);
        return {};
    case kFilePathRole: {
        const std::string_view path = list.Files()[row]->GetFullPath();
        return QByteArray(path.data(), qsizetype(path.size()));
    }
    case Qt::DecorationRole:
        if (index.column() != FileList::kName) return {};
        if (int32_t icon = list.IconIndex(row); icon >= 0 && iconOf) return iconOf(icon);
        return {};
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) return {};
    std::string_view header = FileList::kColumns[size_t(section)].header;
    return QString::fromUtf8(header.data(), qsizetype(header.size()));
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

}  // namespace twinseek
