#include "catalog/SameFileLinks.h"

#include "catalog/FolderItem.h"

#include <algorithm>
#include <string>
#include <utility>

namespace twinseek {

bool SameFileLinks::Add(FileItem* extra, FileItem* first) {
    if (extra == first || firstOf.contains(first) || extrasOf.contains(extra) || firstOf.contains(extra))
        return false;
    firstOf.emplace(extra, first);
    extrasOf[first].push_back(extra);
    return true;
}

bool SameFileLinks::Merge(FileItem* extra, FileItem* first) {
    if (extra == first || firstOf.contains(first) || firstOf.contains(extra)) return false;
    if (auto own = extrasOf.find(extra); own != extrasOf.end()) {
        std::vector<FileItem*> moved = std::move(own->second);
        extrasOf.erase(own);
        for (FileItem* path : moved) {
            firstOf[path] = first;
            extrasOf[first].push_back(path);
        }
    }
    return Add(extra, first);
}

FileItem* SameFileLinks::FirstOf(const FileItem* item) const {
    if (firstOf.empty()) return nullptr;
    auto found = firstOf.find(item);
    return found == firstOf.end() ? nullptr : found->second;
}

std::span<FileItem* const> SameFileLinks::ExtrasOf(const FileItem* first) const {
    auto found = extrasOf.find(first);
    if (found == extrasOf.end()) return {};
    return found->second;
}

void SameFileLinks::RemoveIf(const std::function<bool(const FileItem*)>& gone) {
    std::erase_if(groupedFiles, [&](const auto& entry) { return gone(entry.second); });
    for (auto it = extrasOf.begin(); it != extrasOf.end();) {
        std::vector<FileItem*>& extras = it->second;
        const bool firstGone = gone(it->first);
        std::erase_if(extras, [&](FileItem* extra) {
            if (!firstGone && !gone(extra)) return false;
            firstOf.erase(extra);
            return true;
        });
        it = extras.empty() ? extrasOf.erase(it) : std::next(it);
    }
}

void SameFileLinks::Clear() {
    firstOf.clear();
    extrasOf.clear();
    groupedFiles.clear();
}

FileItem* SameFileLinks::SameFileInGroup(FileItem* file, const IdentityLookup& identityOf) {
    std::optional<FileIdentity> identity = identityOf(*file);
    if (!identity) return nullptr;
    auto [place, first] = groupedFiles.emplace(*identity, file);
    if (first || place->second == file) return nullptr;
    FileItem* earlier = place->second;
    if (identityOf(*earlier) != identity) {
        place->second = file;
        return nullptr;
    }
    // One file, so one size and one digest, unless it changed between reads.
    const bool sameGroup = earlier->Size() == file->Size() && earlier->DigestText() == file->DigestText();
    return sameGroup ? earlier : nullptr;
}

std::optional<FileIdentity> IdentityOnDisk(const FileItem& file) {
    std::string_view folder = file.parent ? file.parent->GetFullPath() : std::string_view();
    std::string path(folder.size() + 1 + file.Name().size() + 1, '\0');
    AppendPathComponent(folder, file.Name(), path.data());
    return IdentityOfPath(path.c_str());
}

size_t SeparateSameFilesInGroups(DuplicateIndex& index, SameFileLinks& links,
                                 const SameFileLinks::IdentityLookup& identityOf) {
    // Without a group there is nothing to look up, nor any need to walk the index.
    if (index.KeyCount() == index.FileCount()) return 0;
    // Found first, taken out afterwards: the index must not change while visited.
    std::vector<std::pair<FileItem*, FileItem*>> found;
    links.ReserveGroupedFiles(index.FileCount());
    index.ForEachDuplicateGroup([&](uint64_t, DuplicateIndex::FileRange files) {
        for (auto it = files.first; it != files.second; ++it)
            if (FileItem* same = links.SameFileInGroup(*it, identityOf)) found.emplace_back(*it, same);
    });
    size_t separated = 0;
    for (auto [extra, first] : found) {
        if (!links.Merge(extra, first)) continue;
        index.Remove(extra);
        ++separated;
    }
    return separated;
}

}  // namespace twinseek
