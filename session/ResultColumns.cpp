#include "session/ResultColumns.h"

#include "catalog/FolderItem.h"
#include "catalog/TextFormat.h"

namespace twinseek {

std::string ResultCellText(const FileItem& file, size_t column) {
    switch (column) {
    case kNameColumn:
        return std::string(file.Name());
    case kFolderColumn:
        return file.parent ? std::string(file.parent->GetFullPath()) : std::string();
    case kSizeColumn:
        return FormatSizeWithUnit(file.Size()).CStr();
    case kDateColumn:
        return FormatFileDate(file.LastWriteTime()).CStr();
    default:
        return {};
    }
}

}  // namespace twinseek
