// Builders for records in catalogue tests.
#pragma once

#include "catalog/FolderItem.h"

#include <cstdint>
#include <memory>
#include <string>

namespace twinseek::testing {

inline FindData EntryNamed(const std::string& name, uint64_t size = 0, uint32_t attributes = FILE_ATTRIBUTE_NORMAL) {
    FindData data;
    data.SetName(name.c_str());
    data.SetSize(size);
    data.dwFileAttributes = attributes;
    return data;
}

// "prefix" followed by n, e.g. "f12".
inline std::string Numbered(const char* prefix, int n) {
    std::string text(prefix);
    text += std::to_string(n);
    return text;
}

struct RootDeleter {
    void operator()(FolderItem* root) const { delete root; }
};
using RootPtr = std::unique_ptr<FolderItem, RootDeleter>;
inline RootPtr MakeRoot() { return RootPtr(FolderItem::CreateRoot()); }

// A committed file of the given size and digest text under folder.
inline FileItem* AddFile(FolderItem* folder, const std::string& name, uint64_t size, const std::string& digest = "") {
    bool created = false;
    FileItem* file = folder->FindOrCreateFile(EntryNamed(name, size), created);
    file->compareState = NotCompared;
    file->SetDigestText(digest);
    return file;
}

}  // namespace twinseek::testing
