// Files filed under their duplicate key (size in decimal, then digest text).
// A key that holds two or more files is a duplicate group.
#pragma once

#include "catalog/FileItem.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <string_view>
#include <vector>

namespace twinseek {

// Orders files, and key texts, by their duplicate key as a byte string.
struct ByDuplicateKey {
    using is_transparent = void;
    bool operator()(const FileItem* a, const FileItem* b) const;
    bool operator()(const FileItem* a, std::string_view key) const;
    bool operator()(std::string_view key, const FileItem* b) const;
};

class DuplicateIndex {
public:
    using FileSet = std::multiset<FileItem*, ByDuplicateKey>;
    using FileRange = std::pair<FileSet::const_iterator, FileSet::const_iterator>;

    DuplicateIndex() = default;
    DuplicateIndex(const DuplicateIndex&) = delete;
    DuplicateIndex& operator=(const DuplicateIndex&) = delete;

    // Files the item under the key of its size and digest text, after the files
    // already there. A file that could not be read is no one's duplicate and
    // is refused (false).
    bool Insert(FileItem* item);
    // Files each item as Insert would, in turn; returns how many were filed.
    // Into an empty index the batch is sorted first and filed in key order,
    // which is far cheaper than a million inserts at random places.
    size_t InsertAll(std::span<FileItem* const> items);
    // Takes the file out; a key left without files disappears.
    bool Remove(FileItem* item);
    void Clear();

    size_t Count(std::string_view key) const;
    size_t CountOfKeyOf(const FileItem* item) const;
    // The files of a key, first added first.
    FileRange Files(std::string_view key) const;
    FileItem* First(std::string_view key) const;
    // Visits every key, largest size first, keys of one size in the order they
    // were first added.
    void ForEachKey(const std::function<void(uint64_t size, std::string_view key)>& visit) const;
    // Visits every key that holds two or more files, in the order of
    // ForEachKey, with its files: in one pass over the index, where Files of
    // each key would search for it.
    void ForEachDuplicateGroup(const std::function<void(uint64_t size, FileRange files)>& visit) const;
    size_t KeyCount() const;
    size_t FileCount() const { return duplicateMap.size(); }

private:
    // One entry per key: its size and a file filed under it, from which the
    // key text is formed.
    struct KeyEntry {
        uint64_t size;
        FileItem* holder;
    };
    void SettleKeys() const;
    KeyEntry* FindKeyEntry(const FileItem* item);

    FileSet duplicateMap;
    // Largest size first; new keys are appended and sorted in when read.
    mutable std::vector<KeyEntry> groupKeysBySize;
    mutable std::vector<KeyEntry> newKeys;
    mutable size_t holes = 0;
};

}  // namespace twinseek
