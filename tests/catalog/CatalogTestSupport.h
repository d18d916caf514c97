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

// The digest text of no bytes at all, which every empty file has.
inline const std::string kEmptyDigest = "3I42H3S6NNFQ2MSVX7XZKYAYSCX5QBYJ";

// "prefix" followed by n, e.g. "f12".
inline std::string Numbered(const char* prefix, int n) { return prefix + std::to_string(n); }

using RootPtr = std::unique_ptr<FolderItem>;
inline RootPtr MakeRoot() { return RootPtr(FolderItem::CreateRoot()); }

// A committed file of the given size and digest text under folder.
inline FileItem* AddFile(FolderItem* folder, const std::string& name, uint64_t size, const std::string& digest = "") {
    bool created = false;
    FileItem* file = folder->FindOrCreateFile(EntryNamed(name, size), created);
    file->compareState = NotCompared;
    file->SetDigestText(digest);
    return file;
}

// The records below folder, one a line, folders first and each in name order:
// a folder's path ends in '/', a file's is followed by its size (and "link"
// for a link).
inline std::string Listing(const FolderItem* folder, const std::string& prefix = "") {
    std::string text;
    for (const FolderItem* child : folder->ChildFolders()) {
        std::string path = prefix;
        path.append(child->Name()).append("/");
        text.append(path).append("\n").append(Listing(child, path));
    }
    for (const FileItem* file : folder->Files()) {
        text.append(prefix).append(file->Name()).append(file->IsLink() ? " link " : " ");
        text.append(std::to_string(file->Size())).append("\n");
    }
    return text;
}

}  // namespace twinseek::testing
