// The table model of the files view's file list: cells, text colours and icons
// from the core file list, asked only for the rows a view draws.
#pragma once

#include "catalog/FileCatalog.h"
#include "compare/ProgressIndicator.h"
#include "session/FileList.h"

#include <QAbstractTableModel>

#include <functional>

namespace twinseek {

class FileListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // types must outlive the model; iconOf turns an icon index into its icon.
    FileListModel(FileTypeCache& types, std::function<QIcon(int32_t)> iconOf, QObject* parent = nullptr);

    const FileList& List() const { return list; }

    // The row sets of the core list, each change told as a reset.
    void ShowCategory(uint32_t id, const FileCatalog& catalog, ProgressIndicator& progress);
    void ShowSize(uint64_t size, const FileCatalog& catalog, ProgressIndicator& progress);
    void DropRowSets();
    // Asks the views to draw these rows again, for colours that changed.
    void RefreshRows(int first, int last);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Cell texts and icons are looked up, and cached, as they are drawn.
    mutable FileList list;
    std::function<QIcon(int32_t)> iconOf;
};

// A colour 0x00BBGGRR as Qt takes it.
QColor ColorOfRgbValue(uint32_t value);

}  // namespace twinseek
