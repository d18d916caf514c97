// The columns of the result view's file list and of the delete dialog's list:
// a tick box without a header, then the five columns of the files view's list.
#pragma once

#include "catalog/FileItem.h"
#include "compare/ListColumn.h"

#include <array>
#include <cstddef>
#include <string>

namespace twinseek {

enum ResultColumn : size_t { kTickColumn, kNameColumn, kFolderColumn, kSizeColumn, kTypeColumn, kDateColumn,
                             kResultColumnCount };

inline constexpr std::array<ListColumn, kResultColumnCount> kResultColumns{{
    {"", 20},
    {"Name", 120},
    {"In Folder", 180, nullptr, TextCut::Middle},
    {"Size", 60, WidestSizeWithUnitTexts},
    {"Type", 120},
    {"Date Modified", 135, WidestFileDateTexts},
}};

// The text of one cell of a file's row. The tick column has none, and neither
// has the type column here: the desktop's name for the type is looked up where
// the row is drawn.
std::string ResultCellText(const FileItem& file, size_t column);

}  // namespace twinseek
