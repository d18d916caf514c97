// A size index of file records, largest first, files of equal size in the
// order they were inserted. It points at records but does not own them.
#pragma once

#include "catalog/FileItem.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace twinseek {

class FileCatalog {
public:
    struct Entry {
        uint64_t size;
        FileItem* item;
    };
    using EntryRange = std::span<const Entry>;

    FileCatalog() = default;
    FileCatalog(const FileCatalog&) = delete;
    FileCatalog& operator=(const FileCatalog&) = delete;

    // Adds an entry after all entries of the same size. One thread may insert
    // while another reads Count().
    void Insert(uint64_t size, FileItem* item);
    // Among the entries of that size, erases the one for item. A run of
    // removals costs a logarithm each; the first one after a read sorts an
    // index of the entries once, and so does one that finds the file among
    // entries inserted since the last read.
    bool Remove(uint64_t size, FileItem* item);
    // Inserts every entry of other, in other's order.
    void MergeFrom(const FileCatalog& other);
    void Clear();
    size_t Count() const { return liveCount.load(std::memory_order_relaxed); }
    // Entries looked at so far by removals; lets a test see that the work per
    // file does not grow with the files of one size.
    uint64_t Steps() const { return steps; }

    // The entries of category id 1 to 8; for id 0 exactly the files of exactSize.
    // Ranges and iteration stay valid until the catalogue next changes.
    EntryRange Range(uint32_t category, uint64_t exactSize = 0) const;
    EntryRange RangeOfSizes(uint64_t min, uint64_t max) const;
    size_t CountOfSize(uint64_t size) const;
    // Every entry, largest first.
    EntryRange All() const;
    auto begin() const { return All().begin(); }
    auto end() const { return All().end(); }

private:
    // Inserts are appended and sorted in on the next read; removals leave a
    // hole that the next read closes. Keeps an entry at 16 bytes.
    void Settle() const;
    // Fills `positions` unless it is up to date.
    void IndexPositions();
    bool RemoveSorted(uint64_t size, FileItem* item);

    mutable std::vector<Entry> sorted;
    mutable std::vector<Entry> pending;
    mutable size_t holes = 0;
    std::atomic<size_t> liveCount{0};
    // Where each record stands in `sorted`, by record address; built on the
    // first removal after entries moved. Holes move nothing, so it stays right
    // through a run of removals, and Settle drops it.
    struct Position {
        const FileItem* item;
        size_t index;
    };
    mutable std::vector<Position> positions;
    uint64_t steps = 0;
};

// Distinct sizes from min to max that more than one catalogued file has.
uint32_t CountSizeSets(const FileCatalog& catalog, uint64_t min, uint64_t max);

}  // namespace twinseek
