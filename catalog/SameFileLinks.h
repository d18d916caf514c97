// Paths that are one file on disk (hard links, a file seen again through a
// bind mount): each further path points at the path first catalogued for the
// file, which alone is compared and stands in the duplicate index for it.
// Also knows the files of duplicate groups by identity, to tell such paths
// that no scan linked (other scans, loaded documents) when they meet in a group.
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
    // The identity of a file as it is on disk now; none when it cannot be examined.
    using IdentityLookup = std::function<std::optional<FileIdentity>(const FileItem&)>;

    SameFileLinks() = default;
    SameFileLinks(const SameFileLinks&) = delete;
    SameFileLinks& operator=(const SameFileLinks&) = delete;

    // Records extra as a further path of first. first must not be a further
    // path itself, and extra must not have one of its own; false (nothing
    // recorded) otherwise, or when extra is first.
    bool Add(FileItem* extra, FileItem* first);
    // The path first catalogued for item's file, or null when item is one.
    FileItem* FirstOf(const FileItem* item) const;
    // As Add, but where extra has further paths of its own (a path that stood
    // for its file until found to be one with first), they go to first too.
    bool Merge(FileItem* extra, FileItem* first);
    // The further paths of a first path, in the order they were added.
    std::span<FileItem* const> ExtrasOf(const FileItem* first) const;
    // Forgets every pair, and every grouped file, in which a record that gone
    // picks takes part (records about to be deleted).
    void RemoveIf(const std::function<bool(const FileItem*)>& gone);
    void Clear();
    size_t ExtraCount() const { return firstOf.size(); }

    // For a file in a duplicate group: a file of the same group (size and
    // digest) passed here before that is the same file on disk, or null. The
    // file is looked up and remembered; one remembered that is no longer that
    // file on disk (its inode reused) gives way to it.
    FileItem* SameFileInGroup(FileItem* file, const IdentityLookup& identityOf);
    // Room for count files met in groups, to be passed here at once.
    void ReserveGroupedFiles(size_t count) { groupedFiles.reserve(count); }

private:
    std::unordered_map<const FileItem*, FileItem*> firstOf;
    std::unordered_map<const FileItem*, std::vector<FileItem*>> extrasOf;
    std::unordered_map<FileIdentity, FileItem*, FileIdentityHash> groupedFiles;
};

// The identity on disk of the file a record names (a link is not followed),
// worked out without keeping the record's full path.
std::optional<FileIdentity> IdentityOnDisk(const FileItem& file);

// A loaded document knows no inodes: looks up every path of every duplicate
// group once, and takes a path whose file already has an earlier path in its
// group out of the index, recording it, with any further paths of its own,
// in links. Paths that cannot be examined stay. Returns how many paths left
// their groups.
size_t SeparateSameFilesInGroups(DuplicateIndex& index, SameFileLinks& links,
                                 const SameFileLinks::IdentityLookup& identityOf);

}  // namespace twinseek
