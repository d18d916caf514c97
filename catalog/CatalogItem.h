// The common part of folder and file records: the directory entry as it was
// found, the comparison state, and the full path built once and cached.
#pragma once

#include "catalog/CompareState.h"
#include "platform/FindData.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace twinseek {

class FolderItem;

class CatalogItem {
public:
    CatalogItem(const CatalogItem&) = delete;
    CatalogItem& operator=(const CatalogItem&) = delete;
    virtual ~CatalogItem();

    // Records are made by the Create functions of the derived classes, which
    // put the names right behind the object in one allocation.
    static void* operator new(size_t, void* where) noexcept { return where; }
    static void operator delete(void* memory) { ::operator delete(memory); }

    uint64_t Size() const { return (uint64_t(findData.nFileSizeHigh) << 32) | findData.nFileSizeLow; }
    std::string_view Name() const { return {names, nameLength}; }
    std::string_view AlternateName() const { return {names + nameLength + 1, alternateLength}; }
    const FileTime& LastWriteTime() const { return findData.ftLastWriteTime; }
    bool IsLink() const { return findData.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT; }

    // The entry as a directory search would deliver it, names included.
    FindData GetFindData() const;
    // Replaces the entry, names included (used for the root when a document loads).
    void AssignFindData(const FindData& data);

    // Parent's path, "/" unless it already ends in "/", then the name; the
    // root's path is empty. Built on first use, then never changes; safe to
    // call from several threads.
    std::string_view GetFullPath() const;

    // Fields are ordered so that a file record packs into 128 bytes.
    FolderItem* parent;

private:
    const char* names;  // name, zero, alternate name, zero
    mutable std::atomic<const char*> fullPath{nullptr};

public:
    EntryData findData;
    std::atomic<int32_t> compareState;
    int32_t iconIndex = -1;

protected:
    CatalogItem(FolderItem* parent, const FindData& data, int32_t state, char* inlineNames);

    // Bytes needed behind a record for the names of data.
    static size_t NamesSize(const FindData& data);

private:
    void PlaceNames(const FindData& data, char* storage);
    void ReleaseNames();
    void LockPath() const;
    void UnlockPath() const;

    uint16_t nameLength = 0;
    uint8_t alternateLength = 0;
    bool namesOwned = false;
    mutable std::atomic<bool> pathLock{false};
};

// The full path of a record built from its parent's path and its name.
void AppendPathComponent(std::string_view parentPath, std::string_view name, char* out);

}  // namespace twinseek
