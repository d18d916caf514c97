#include "session/FileList.h"

#include "catalog/FolderItem.h"

#include <algorithm>

namespace twinseek {

void FileList::Fill(FileCatalog::EntryRange range, std::vector<FileItem*>& rows, ProgressIndicator& progress) {
    // The range counts every entry while a step is taken per row added, as the
    // files of a size nobody else has are passed over.
    progress.ProgressStart(kFillText, int32_t(std::min<size_t>(range.size(), INT32_MAX)));
    for (size_t first = 0; first < range.size();) {
        size_t last = first + 1;
        while (last < range.size() && range[last].size == range[first].size) ++last;
        if (last - first > 1)
            for (size_t i = first; i < last; ++i) {
                rows.push_back(range[i].item);
                progress.ProgressStep();
            }
        first = last;
    }
    progress.ProgressEnd();
}

void FileList::ShowCategory(uint32_t id, const FileCatalog& catalog, ProgressIndicator& progress) {
    if (id < 1 || id >= kSetCount) return;
    shown = id;
    if (built[id]) {
        Fill({}, sets[id], progress);
        return;
    }
    built[id] = true;
    Fill(catalog.Range(id), sets[id], progress);
}

void FileList::ShowSize(uint64_t size, const FileCatalog& catalog, ProgressIndicator& progress) {
    shown = kSizeSet;
    sets[kSizeSet].clear();
    Fill(catalog.Range(0, size), sets[kSizeSet], progress);
}

void FileList::DropRowSets() {
    for (std::vector<FileItem*>& rows : sets) std::vector<FileItem*>().swap(rows);
    built.fill(false);
    shown = kSizeSet;
}

std::string_view FileList::CellText(size_t row, size_t column) {
    if (row >= RowCount()) return {};
    const FileItem& file = *sets[shown][row];
    switch (column) {
    case kName:
        return file.Name();
    case kFolder:
        return file.parent ? file.parent->GetFullPath() : std::string_view();
    case kSize:
        FormatSizeWithUnit(file.Size(), cellText, sizeof cellText);
        return cellText;
    case kType:
        return types.TypeName(file);
    case kDate:
        FormatFileDate(file.LastWriteTime(), cellText, sizeof cellText);
        return cellText;
    default:
        return {};
    }
}

std::optional<uint32_t> FileList::TextColor(size_t row) const {
    if (row >= RowCount()) return std::nullopt;
    if (std::optional<ColorMark> mark = sets[shown][row]->FindColorMark(Id())) return mark->textColor;
    return std::nullopt;
}

int32_t FileList::IconIndex(size_t row) {
    if (row >= RowCount()) return -1;
    return types.IconIndex(*sets[shown][row]);
}

}  // namespace twinseek
