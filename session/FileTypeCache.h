// Type names and icons of files, asked of the desktop once per lower-case
// extension (once per file for the kinds that carry an icon of their own) and
// kept for the rest of the run.
#pragma once

#include "catalog/FileItem.h"
#include "session/FileTypeProviders.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace twinseek {

class FileTypeCache {
public:
    // names and icons must outlive the cache.
    FileTypeCache(FileTypeNames& names, FileIcons& icons) : names(names), icons(icons) {}
    FileTypeCache(const FileTypeCache&) = delete;
    FileTypeCache& operator=(const FileTypeCache&) = delete;

    // The text after the last dot of a name, lower-cased; empty without a dot.
    static std::string ExtensionKey(std::string_view fileName);
    // Extensions whose files each carry an icon of their own.
    static bool HasOwnIcon(std::string_view extensionKey) { return extensionKey == "ico" || extensionKey == "exe"; }

    // Valid as long as the cache.
    std::string_view TypeName(const FileItem& file);
    // Looked up once and then kept in the record's iconIndex; -1 for none.
    int32_t IconIndex(FileItem& file);

    size_t CachedTypeNames() const { return typeNames.size(); }

private:
    FileTypeNames& names;
    FileIcons& icons;
    std::unordered_map<std::string, std::string> typeNames;
    std::unordered_map<std::string, int32_t> typeIcons;
};

}  // namespace twinseek
