// Paths that are one file on disk (hard links, a file seen again through a
// bind mount): each further path points at the path first catalogued for the
// file, which alone is compared and stands in the duplicate index for it.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "catalog/FileItem.h"
#include "platform/FileIdentity.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace twinseek {

class SameFileLinks {
public:
    SameFileLinks() = default;
    SameFileLinks(const SameFileLinks&) = delete;
    SameFileLinks& operator=(const SameFileLinks&) = delete;

    // Records extra as a further path of first. first must not be a further
    // path itself, and extra must not have one of its own; false (nothing
    // recorded) otherwise, or when extra is first.
    bool Add(FileItem* extra, FileItem* first);
    // The path first catalogued for item's file, or null when item is one.
    FileItem* FirstOf(const FileItem* item) const;
    // The further paths of a first path, in the order they were added.
    std::span<FileItem* const> ExtrasOf(const FileItem* first) const;
    // Forgets every pair in which a record that gone picks takes part (records
    // about to be deleted).
    void RemoveIf(const std::function<bool(const FileItem*)>& gone);
    void Clear();
    size_t ExtraCount() const { return firstOf.size(); }

private:
    std::unordered_map<const FileItem*, FileItem*> firstOf;
    std::unordered_map<const FileItem*, std::vector<FileItem*>> extrasOf;
};

// A loaded document knows no inodes: looks up the identity of every path of
// every duplicate group once, and takes a path whose file already has an
// earlier path in its group out of the index, recording it in links. Paths
// that cannot be examined stay. Returns how many paths left their groups.
size_t SeparateSameFilesInGroups(DuplicateIndex& index, SameFileLinks& links,
                                 const std::function<std::optional<FileIdentity>(const FileItem&)>& identityOf);

}  // namespace twinseek
