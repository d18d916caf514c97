#include "catalog/FolderItem.h"

#include <new>
#include <vector>

namespace twinseek {

FolderItem* FolderItem::Create(FolderItem* parent, const FindData& data, int32_t state) {
    void* memory = ::operator new(sizeof(FolderItem) + NamesSize(data));
    char* names = static_cast<char*>(memory) + sizeof(FolderItem);
    return new (memory) FolderItem(parent, data, state, names);
}

FolderItem* FolderItem::CreateRoot() { return Create(nullptr, FindData{}, NotCompared); }

FolderItem::~FolderItem() { ClearChildren(); }

FolderItem* FolderItem::FindFolder(std::string_view name) const {
    auto it = childFolders.find(name);
    return it == childFolders.end() ? nullptr : *it;
}

FileItem* FolderItem::FindFile(std::string_view name) const {
    auto it = files.find(name);
    return it == files.end() ? nullptr : *it;
}

FolderItem* FolderItem::FindOrCreateFolder(const FindData& data) {
    std::string_view name(data.cFileName);
    auto it = childFolders.lower_bound(name);
    if (it != childFolders.end() && (*it)->Name() == name) return *it;
    return *childFolders.insert(it, Create(this, data));
}

FileItem* FolderItem::FindOrCreateFile(const FindData& data, bool& created) {
    std::string_view name(data.cFileName);
    auto it = files.lower_bound(name);
    created = !(it != files.end() && (*it)->Name() == name);
    if (!created) return *it;
    return *files.insert(it, FileItem::Create(this, data));
}

namespace {

// Files child into set unless its name is taken. Records that come in name
// order, as a stored document delivers them, go straight in at the end.
template <typename Set>
bool InsertUniqueByName(Set& set, typename Set::value_type child) {
    if (set.empty() || ByName()(*set.rbegin(), child)) {
        set.emplace_hint(set.end(), child);
        return true;
    }
    return set.insert(child).second;
}

}  // namespace

bool FolderItem::AdoptFolder(FolderItem* child) {
    if (!InsertUniqueByName(childFolders, child)) return false;
    child->parent = this;
    return true;
}

bool FolderItem::AdoptFile(FileItem* child) {
    if (!InsertUniqueByName(files, child)) return false;
    child->parent = this;
    return true;
}

bool FolderItem::ReleaseFile(FileItem* file) {
    auto it = files.find(file->Name());
    if (it == files.end() || *it != file) return false;
    files.erase(it);
    file->parent = nullptr;
    return true;
}

bool FolderItem::ReleaseFolder(FolderItem* folder) {
    auto it = childFolders.find(folder->Name());
    if (it == childFolders.end() || *it != folder) return false;
    childFolders.erase(it);
    folder->parent = nullptr;
    return true;
}

void FolderItem::ForEachFileBelow(const std::function<void(FileItem*)>& visit) const {
    std::vector<const FolderItem*> pending{this};
    while (!pending.empty()) {
        const FolderItem* folder = pending.back();
        pending.pop_back();
        for (FileItem* file : folder->files) visit(file);
        pending.insert(pending.end(), folder->childFolders.begin(), folder->childFolders.end());
    }
}

void FolderItem::ClearChildren() {
    // Iterative, so that a very deep tree cannot exhaust the stack: detach each
    // folder's children before deleting the folder itself.
    std::vector<FolderItem*> doomed(childFolders.begin(), childFolders.end());
    childFolders.clear();
    for (FileItem* file : files) delete file;
    files.clear();
    while (!doomed.empty()) {
        FolderItem* folder = doomed.back();
        doomed.pop_back();
        doomed.insert(doomed.end(), folder->childFolders.begin(), folder->childFolders.end());
        folder->childFolders.clear();
        delete folder;
    }
}

void FolderItem::Prune(bool commit) {
    std::vector<FolderItem*> pending{this};
    while (!pending.empty()) {
        FolderItem* folder = pending.back();
        pending.pop_back();
        for (auto it = folder->childFolders.begin(); it != folder->childFolders.end();) {
            FolderItem* child = *it;
            if (child->compareState.load(std::memory_order_relaxed) == Provisional && !commit) {
                it = folder->childFolders.erase(it);
                delete child;
                continue;
            }
            if (child->compareState.load(std::memory_order_relaxed) == Provisional) child->compareState = NotCompared;
            pending.push_back(child);
            ++it;
        }
        for (auto it = folder->files.begin(); it != folder->files.end();) {
            FileItem* file = *it;
            if (file->compareState.load(std::memory_order_relaxed) == Provisional) {
                if (!commit) {
                    it = folder->files.erase(it);
                    delete file;
                    continue;
                }
                file->compareState = NotCompared;
            }
            ++it;
        }
    }
}

uint64_t FolderItem::CountFiles() const {
    uint64_t count = 0;
    std::vector<const FolderItem*> pending{this};
    while (!pending.empty()) {
        const FolderItem* folder = pending.back();
        pending.pop_back();
        count += folder->files.size();
        pending.insert(pending.end(), folder->childFolders.begin(), folder->childFolders.end());
    }
    return count;
}

}  // namespace twinseek
