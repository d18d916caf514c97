// The candidate file list of the files view: files whose size another file
// shares, in five columns, with one kept set of rows per category id and set 0
// rebuilt for each size shown. Cell texts are made when asked for, row by row,
// so that a list of a million files costs one pointer a row until drawn.
#pragma once

#include "catalog/FileCatalog.h"
#include "catalog/FileItem.h"
#include "catalog/TextFormat.h"
#include "compare/ListColumn.h"
#include "compare/ProgressIndicator.h"
#include "session/FileTypeCache.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace twinseek {

class FileList {
public:
    enum Column { kName, kFolder, kSize, kType, kDate, kColumnCount };
    static constexpr std::array<ListColumn, kColumnCount> kColumns{{
        {"Name", 120},
        {"In Folder", 180, nullptr, TextCut::Middle},
        {"Size", 60, WidestSizeWithUnitTexts},
        {"Type", 120},
        {"Date Modified", 135, WidestFileDateTexts},
    }};
    static constexpr std::string_view kFillText = "Upload list...";
    // Set 0 holds the files of one size; sets 1 to 8 those of a category.
    static constexpr uint32_t kSizeSet = 0;
    static constexpr size_t kSetCount = 9;

    // types must outlive the list.
    explicit FileList(FileTypeCache& types) : types(types) {}
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // Under which the compare engine keeps the rows' text colours.
    ListId Id() const { return this; }

    // Shows the set of category id 1 to 8, filling it from the catalogue the
    // first time; later showings keep its rows as they are.
    void ShowCategory(uint32_t id, const FileCatalog& catalog, ProgressIndicator& progress);
    // Refills set 0 with the files of exactly this size and shows it.
    void ShowSize(uint64_t size, const FileCatalog& catalog, ProgressIndicator& progress);
    // Forgets every set and shows set 0, empty.
    void DropRowSets();

    uint32_t ShownSet() const { return shown; }
    bool IsSetBuilt(uint32_t id) const { return built.at(id); }
    size_t RowCount() const { return sets[shown].size(); }
    std::span<FileItem* const> Files() const { return sets[shown]; }

    // The text of one cell, valid until the next call; empty outside the rows.
    std::string_view CellText(size_t row, size_t column);
    // The colour the compare engine gave the row, 0x00BBGGRR; none by default.
    std::optional<uint32_t> TextColor(size_t row) const;
    // The row's icon in the process-wide icon cache; -1 for none.
    int32_t IconIndex(size_t row);

private:
    // Appends, in catalogue order, every file of range whose size another
    // file of range has, under the progress "Upload list...".
    static void Fill(FileCatalog::EntryRange range, std::vector<FileItem*>& rows, ProgressIndicator& progress);

    FileTypeCache& types;
    std::array<std::vector<FileItem*>, kSetCount> sets;
    std::array<bool, kSetCount> built{};
    uint32_t shown = kSizeSet;
    char cellText[kFileDateBufferSize] = {};
};

}  // namespace twinseek
