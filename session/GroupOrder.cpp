#include "session/GroupOrder.h"

#include <algorithm>
#include <array>
#include <bit>

namespace twinseek {

namespace {

// A block is split in two when it grows past this; a rebuild fills blocks to
// three quarters, so that insertions do not split at once.
constexpr size_t kMaxBlock = 512;
constexpr size_t kFilledBlock = kMaxBlock * 3 / 4;

// a stands above the group (size, group).
bool Above(const GroupOrder::Entry& a, uint64_t size, uint32_t group) {
    return a.size > size || (a.size == size && a.group < group);
}

size_t SumBefore(const std::vector<size_t>& tree, size_t count) {
    size_t sum = 0;
    for (size_t i = count; i > 0; i -= i & (~i + 1)) sum += tree[i - 1];
    return sum;
}

void AddAt(std::vector<size_t>& tree, size_t index, size_t delta) {
    for (size_t i = index + 1; i <= tree.size(); i += i & (~i + 1)) tree[i - 1] += delta;
}

// The index of the block that holds value, counted from 0 across the blocks:
// the most blocks whose sum stays at or below value.
size_t BlockHolding(const std::vector<size_t>& tree, size_t value) {
    size_t position = 0;
    for (size_t step = std::bit_floor(tree.size()); step != 0; step >>= 1)
        if (position + step <= tree.size() && tree[position + step - 1] <= value) {
            position += step;
            value -= tree[position - 1];
        }
    return position;
}

// Builds a Fenwick tree over values in linear time.
void BuildTree(std::vector<size_t>& tree) {
    for (size_t i = 1; i <= tree.size(); ++i) {
        size_t parent = i + (i & (~i + 1));
        if (parent <= tree.size()) tree[parent - 1] += tree[i - 1];
    }
}

}  // namespace

void GroupOrder::Clear() {
    blocks.clear();
    rowSums.clear();
    groupSums.clear();
    rowCount = 0;
    groupCount = 0;
}

void GroupOrder::Assign(std::span<const Entry> entries) {
    Clear();
    for (size_t first = 0; first < entries.size(); first += kFilledBlock) {
        Block& block = blocks.emplace_back();
        auto begin = entries.begin() + ptrdiff_t(first);
        auto end = entries.begin() + ptrdiff_t(std::min(entries.size(), first + kFilledBlock));
        block.entries.assign(begin, end);
        for (const Entry& entry : block.entries) block.rows += entry.rows;
        rowCount += block.rows;
    }
    groupCount = entries.size();
    RebuildSums();
}

void GroupOrder::RebuildSums() {
    rowSums.resize(blocks.size());
    groupSums.resize(blocks.size());
    for (size_t i = 0; i < blocks.size(); ++i) {
        rowSums[i] = blocks[i].rows;
        groupSums[i] = blocks[i].entries.size();
    }
    BuildTree(rowSums);
    BuildTree(groupSums);
}

size_t GroupOrder::BlockFor(uint64_t size, uint32_t group) const {
    // The first block whose last group does not stand above this one; the
    // last block for a group below everything.
    auto it = std::partition_point(blocks.begin(), blocks.end(),
                                   [&](const Block& block) { return Above(block.entries.back(), size, group); });
    if (it == blocks.end() && it != blocks.begin()) --it;
    return size_t(it - blocks.begin());
}

GroupOrder::Place GroupOrder::PlaceIn(size_t block, size_t position) const {
    Place place{0, SumBefore(groupSums, block) + position, SumBefore(rowSums, block), 0};
    if (block == blocks.size()) return place;
    const std::vector<Entry>& entries = blocks[block].entries;
    for (size_t i = 0; i < position; ++i) place.firstRow += entries[i].rows;
    if (position < entries.size()) {
        place.group = entries[position].group;
        place.rows = entries[position].rows;
    }
    return place;
}

GroupOrder::Place GroupOrder::PlaceFor(uint64_t size, uint32_t group) const {
    size_t block = BlockFor(size, group);
    if (block == blocks.size()) return {group, 0, 0, 0};
    const std::vector<Entry>& entries = blocks[block].entries;
    auto it = std::partition_point(entries.begin(), entries.end(),
                                   [&](const Entry& entry) { return Above(entry, size, group); });
    Place place = PlaceIn(block, size_t(it - entries.begin()));
    if (it == entries.end() || it->group != group) {
        place.group = group;
        place.rows = 0;
    }
    return place;
}

std::optional<GroupOrder::Place> GroupOrder::Find(uint64_t size, uint32_t group) const {
    Place place = PlaceFor(size, group);
    if (place.rows == 0) return std::nullopt;
    return place;
}

void GroupOrder::Insert(uint64_t size, uint32_t group, uint32_t rows) {
    if (blocks.empty()) {
        Assign(std::span<const Entry>(std::array{Entry{size, group, rows}}));
        return;
    }
    size_t index = BlockFor(size, group);
    Block& block = blocks[index];
    auto it = std::partition_point(block.entries.begin(), block.entries.end(),
                                   [&](const Entry& entry) { return Above(entry, size, group); });
    block.entries.insert(it, Entry{size, group, rows});
    block.rows += rows;
    rowCount += rows;
    groupCount += 1;
    if (block.entries.size() > kMaxBlock) {
        SplitBlock(index);
    } else {
        AddAt(rowSums, index, rows);
        AddAt(groupSums, index, 1);
    }
}

void GroupOrder::SplitBlock(size_t index) {
    Block upper;
    std::vector<Entry>& entries = blocks[index].entries;
    auto middle = entries.begin() + ptrdiff_t(entries.size() / 2);
    upper.entries.assign(middle, entries.end());
    entries.erase(middle, entries.end());
    for (const Entry& entry : upper.entries) upper.rows += entry.rows;
    blocks[index].rows -= upper.rows;
    blocks.insert(blocks.begin() + ptrdiff_t(index) + 1, std::move(upper));
    RebuildSums();
}

void GroupOrder::AddRows(uint64_t size, uint32_t group, uint32_t added) {
    size_t index = BlockFor(size, group);
    if (index == blocks.size()) return;
    Block& block = blocks[index];
    auto it = std::partition_point(block.entries.begin(), block.entries.end(),
                                   [&](const Entry& entry) { return Above(entry, size, group); });
    if (it == block.entries.end() || it->group != group) return;
    it->rows += added;
    block.rows += added;
    rowCount += added;
    AddAt(rowSums, index, added);
}

GroupOrder::Place GroupOrder::AtRow(size_t row) const {
    size_t index = BlockHolding(rowSums, row);
    size_t firstRow = SumBefore(rowSums, index);
    const std::vector<Entry>& entries = blocks[index].entries;
    size_t position = 0;
    while (firstRow + entries[position].rows <= row) firstRow += entries[position++].rows;
    return {entries[position].group, SumBefore(groupSums, index) + position, firstRow, entries[position].rows};
}

void GroupOrder::ForEach(const std::function<void(const Entry&)>& visit) const {
    for (const Block& block : blocks)
        for (const Entry& entry : block.entries) visit(entry);
}

}  // namespace twinseek
