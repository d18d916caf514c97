// The duplicate groups in display order (largest size first, groups of one size
// by increasing id) with their row counts. Finds the group at a row, and a
// group's ordinal and first row, in about logarithmic time, so that a group put
// in the middle of a long list costs little.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace twinseek {

class GroupOrder {
public:
    struct Entry {
        uint64_t size;
        uint32_t group;  // the caller's id; unique
        uint32_t rows;
    };
    // Where a group stands: groups above it, its first row and its rows.
    struct Place {
        uint32_t group;
        size_t ordinal;
        size_t firstRow;
        uint32_t rows;
    };

    void Clear();
    // Replaces everything with entries, which are in display order.
    void Assign(std::span<const Entry> entries);
    // Puts a group in its place; PlaceFor tells beforehand where that is.
    void Insert(uint64_t size, uint32_t group, uint32_t rows);
    // Adds rows to a group held.
    void AddRows(uint64_t size, uint32_t group, uint32_t added);

    // The place of a group held, or the place a group not held would take
    // (with 0 rows).
    Place PlaceFor(uint64_t size, uint32_t group) const;
    std::optional<Place> Find(uint64_t size, uint32_t group) const;
    // The group holding row; row < RowCount().
    Place AtRow(size_t row) const;
    // Visits the groups in display order.
    void ForEach(const std::function<void(const Entry&)>& visit) const;

    size_t RowCount() const { return rowCount; }
    size_t GroupCount() const { return groupCount; }

private:
    // Groups are held in short sorted blocks; two Fenwick trees over the blocks
    // sum their rows and groups, so a place is found without walking the list.
    struct Block {
        std::vector<Entry> entries;
        size_t rows = 0;
    };

    size_t BlockFor(uint64_t size, uint32_t group) const;
    Place PlaceIn(size_t block, size_t position) const;
    void SplitBlock(size_t block);
    void RebuildSums();

    std::vector<Block> blocks;
    std::vector<size_t> rowSums;
    std::vector<size_t> groupSums;
    size_t rowCount = 0;
    size_t groupCount = 0;
};

}  // namespace twinseek
