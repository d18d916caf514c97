#include "catalog/CatalogItem.h"

#include "catalog/FolderItem.h"

#include <cstring>
#include <thread>
#include <vector>

namespace twinseek {

namespace {

size_t BoundedLength(const char* text, size_t limit) {
    const void* end = std::memchr(text, '\0', limit);
    return end ? size_t(static_cast<const char*>(end) - text) : limit;
}

}  // namespace

CatalogItem::CatalogItem(FolderItem* parentFolder, const FindData& data, int32_t state, char* inlineNames)
    : parent(parentFolder), findData(data), compareState(state) {
    PlaceNames(data, inlineNames);
}

CatalogItem::~CatalogItem() {
    delete[] fullPath.load(std::memory_order_relaxed);
    ReleaseNames();
}

size_t CatalogItem::NamesSize(const FindData& data) {
    return BoundedLength(data.cFileName, sizeof data.cFileName - 1) +
           BoundedLength(data.cAlternateFileName, sizeof data.cAlternateFileName - 1) + 2;
}

void CatalogItem::PlaceNames(const FindData& data, char* storage) {
    nameLength = uint16_t(BoundedLength(data.cFileName, sizeof data.cFileName - 1));
    alternateLength = uint8_t(BoundedLength(data.cAlternateFileName, sizeof data.cAlternateFileName - 1));
    std::memcpy(storage, data.cFileName, nameLength);
    storage[nameLength] = '\0';
    std::memcpy(storage + nameLength + 1, data.cAlternateFileName, alternateLength);
    storage[nameLength + 1 + alternateLength] = '\0';
    names = storage;
}

void CatalogItem::ReleaseNames() {
    if (namesOwned) delete[] names;
    namesOwned = false;
}

FindData CatalogItem::GetFindData() const {
    FindData data;
    static_cast<EntryData&>(data) = findData;
    std::memcpy(data.cFileName, names, nameLength);
    data.cFileName[nameLength] = '\0';
    std::memcpy(data.cAlternateFileName, names + nameLength + 1, alternateLength);
    data.cAlternateFileName[alternateLength] = '\0';
    return data;
}

void CatalogItem::AssignFindData(const FindData& data) {
    char* storage = new char[NamesSize(data)];
    ReleaseNames();
    findData = data;
    PlaceNames(data, storage);
    namesOwned = true;
}

void CatalogItem::LockPath() const {
    while (pathLock.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
}

void CatalogItem::UnlockPath() const { pathLock.store(false, std::memory_order_release); }

void AppendPathComponent(std::string_view parentPath, std::string_view name, char* out) {
    size_t length = parentPath.size();
    if (length != 0) std::memcpy(out, parentPath.data(), length);
    if (length != 0 && parentPath.back() != '/') out[length++] = '/';
    std::memcpy(out + length, name.data(), name.size());
    out[length + name.size()] = '\0';
}

std::string_view CatalogItem::GetFullPath() const {
    if (const char* cached = fullPath.load(std::memory_order_acquire)) return cached;
    if (!parent) return {};

    // Build from the nearest ancestor whose path is known, top down, without
    // recursion: catalogues loaded from a document may nest very deep. Each
    // record's lock is held only while its own path is set.
    std::vector<const CatalogItem*> chain;
    for (const CatalogItem* item = this; item->parent && !item->fullPath.load(std::memory_order_acquire);
         item = item->parent)
        chain.push_back(item);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const CatalogItem* item = *it;
        item->LockPath();
        if (!item->fullPath.load(std::memory_order_relaxed)) {
            std::string_view parentPath = item->parent->GetFullPath();
            char* path = new char[parentPath.size() + 1 + item->nameLength + 1];
            AppendPathComponent(parentPath, item->Name(), path);
            item->fullPath.store(path, std::memory_order_release);
        }
        item->UnlockPath();
    }
    return fullPath.load(std::memory_order_acquire);
}

}  // namespace twinseek
