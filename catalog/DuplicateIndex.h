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
#include <unordered_map>
#include <utility>
#include <vector>

namespace twinseek {

// Orders files, and key texts, by their duplicate key as a byte string.
struct ByDuplicateKey {
    using is_transparent = void;
    bool operator()(const FileItem* a, const FileItem* b) const;
    bool operator()(const FileItem* a, std::string_view key) const;
    bool operator()(std::string_view key, const FileItem* b) const;
    // When set, every comparison is counted there.
    uint64_t* comparisons = nullptr;
};

// Every step costs at most a logarithm of the files held, however many of
// them share one key: counting, filing, removing and finding a key's files.
class DuplicateIndex {
public:
    using FileSet = std::multiset<FileItem*, ByDuplicateKey>;
    using FileRange = std::pair<FileSet::const_iterator, FileSet::const_iterator>;

    DuplicateIndex() = default;
    DuplicateIndex(const DuplicateIndex&) = delete;
    DuplicateIndex& operator=(const DuplicateIndex&) = delete;

    // Files the item under the key of its size and digest text, after the files
    // already there. A file that could not be read is no one's duplicate and
    // is refused (false), and so is a file already filed.
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
    // Whether item itself is filed here.
    bool Contains(const FileItem* item) const { return places.contains(item); }
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
    size_t KeyCount() const { return keyCount; }
    size_t FileCount() const { return duplicateMap.size(); }

    // Key comparisons, look-ups and files stepped over so far: lets a test see
    // that the work per file does not grow with a group.
    uint64_t Steps() const { return steps; }

private:
    // Where a file stands in duplicateMap. The first file of a key also
    // carries the key's file count and the stamp that orders keys of one size
    // by when they were first added; on every other file both are 0.
    struct Place {
        FileSet::const_iterator node;
        size_t keyFiles = 0;
        uint64_t keyStamp = 0;
    };
    // A key as the ordered visits see it.
    struct KeyVisit {
        uint64_t size;
        uint64_t stamp;
        FileRange files;
    };

    Place& PlaceOf(const FileItem* item);
    const Place& PlaceOf(const FileItem* item) const;
    // The keys, largest size first, keys of one size by stamp; with
    // duplicatesOnly, only those holding two or more files.
    std::vector<KeyVisit> KeysInOrder(bool duplicatesOnly) const;

    mutable uint64_t steps = 0;
    FileSet duplicateMap{ByDuplicateKey{&steps}};
    std::unordered_map<const FileItem*, Place> places;
    size_t keyCount = 0;
    uint64_t nextStamp = 0;
};

}  // namespace twinseek
