#include "session/FileTypeCache.h"

#include <algorithm>

namespace twinseek {

std::string FileTypeCache::ExtensionKey(std::string_view fileName) {
    size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string key(fileName.substr(dot + 1));
    // Bytes, not characters: only ASCII letters change case.
    std::transform(key.begin(), key.end(), key.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return key;
}

std::string_view FileTypeCache::TypeName(const FileItem& file) {
    std::string key = ExtensionKey(file.Name());
    auto found = typeNames.find(key);
    if (found == typeNames.end()) {
        std::string name = names.TypeName(key);
        found = typeNames.emplace(std::move(key), std::move(name)).first;
    }
    return found->second;
}

int32_t FileTypeCache::IconIndex(FileItem& file) {
    if (file.iconIndex >= 0) return file.iconIndex;
    std::string key = ExtensionKey(file.Name());
    if (HasOwnIcon(key)) {
        file.iconIndex = icons.IconOfFile(file.GetFullPath(), key);
    } else {
        auto found = typeIcons.find(key);
        if (found == typeIcons.end()) {
            int32_t index = icons.IconOfType(key);
            found = typeIcons.emplace(std::move(key), index).first;
        }
        file.iconIndex = found->second;
    }
    return file.iconIndex;
}

}  // namespace twinseek
