#include "catalog/FileCatalog.h"

#include "catalog/SizeCategory.h"

#include <algorithm>
#include <functional>

namespace twinseek {

namespace {

bool LargerFirst(const FileCatalog::Entry& a, const FileCatalog::Entry& b) { return a.size > b.size; }

// Record addresses in order, each comparison counted as a step. Used with the
// ranges algorithms: unlike the classic ones, they add no checks of their own
// in libstdc++'s debug mode, which would be counted too.
auto CountedOrder(uint64_t& steps) {
    return [&steps](const FileItem* a, const FileItem* b) {
        ++steps;
        return std::less<const FileItem*>()(a, b);
    };
}

}  // namespace

void FileCatalog::Insert(uint64_t size, FileItem* item) {
    pending.push_back({size, item});
    liveCount.fetch_add(1, std::memory_order_relaxed);
}

void FileCatalog::IndexPositions() {
    if (!positions.empty() || sorted.size() == holes) return;
    positions.reserve(sorted.size() - holes);
    for (size_t index = 0; index < sorted.size(); ++index)
        if (sorted[index].item) positions.push_back({sorted[index].item, index});
    steps += positions.size();
    std::ranges::sort(positions, CountedOrder(steps), &Position::item);
}

bool FileCatalog::RemoveSorted(uint64_t size, FileItem* item) {
    IndexPositions();
    // The same record may stand under several sizes, or twice under one.
    for (const Position& position : std::ranges::equal_range(positions, item, CountedOrder(steps), &Position::item)) {
        Entry& entry = sorted[position.index];
        ++steps;
        if (entry.item != item || entry.size != size) continue;
        entry.item = nullptr;
        ++holes;
        liveCount.fetch_sub(1, std::memory_order_relaxed);
        return true;
    }
    return false;
}

bool FileCatalog::Remove(uint64_t size, FileItem* item) {
    if (RemoveSorted(size, item)) return true;
    // Inserted since the last read: sort the new entries in, once.
    if (pending.empty()) return false;
    Settle();
    return RemoveSorted(size, item);
}

void FileCatalog::MergeFrom(const FileCatalog& other) {
    EntryRange entries = other.All();
    pending.insert(pending.end(), entries.begin(), entries.end());
    liveCount.fetch_add(entries.size(), std::memory_order_relaxed);
}

void FileCatalog::Clear() {
    std::vector<Position>().swap(positions);
    sorted.clear();
    sorted.shrink_to_fit();
    pending.clear();
    pending.shrink_to_fit();
    holes = 0;
    liveCount.store(0, std::memory_order_relaxed);
}

void FileCatalog::Settle() const {
    if (holes == 0 && pending.empty()) return;
    std::vector<Position>().swap(positions);
    if (holes != 0) {
        std::erase_if(sorted, [](const Entry& entry) { return entry.item == nullptr; });
        holes = 0;
    }
    if (pending.empty()) return;
    if (!std::is_sorted(pending.begin(), pending.end(), LargerFirst))
        std::stable_sort(pending.begin(), pending.end(), LargerFirst);
    if (sorted.empty()) {
        sorted.swap(pending);
    } else if (pending.front().size <= sorted.back().size) {
        // Everything new is no larger than everything held: a plain append.
        sorted.insert(sorted.end(), pending.begin(), pending.end());
    } else {
        size_t middle = sorted.size();
        sorted.insert(sorted.end(), pending.begin(), pending.end());
        // Stable: held entries stay before new ones of the same size.
        std::inplace_merge(sorted.begin(), sorted.begin() + middle, sorted.end(), LargerFirst);
    }
    std::vector<Entry>().swap(pending);
}

FileCatalog::EntryRange FileCatalog::All() const {
    Settle();
    return sorted;
}

FileCatalog::EntryRange FileCatalog::RangeOfSizes(uint64_t min, uint64_t max) const {
    Settle();
    if (min > max) return {};
    auto first = std::lower_bound(sorted.begin(), sorted.end(), Entry{max, nullptr}, LargerFirst);
    auto last = std::upper_bound(first, sorted.end(), Entry{min, nullptr}, LargerFirst);
    return {first, last};
}

FileCatalog::EntryRange FileCatalog::Range(uint32_t category, uint64_t exactSize) const {
    if (category == 0) return RangeOfSizes(exactSize, exactSize);
    const SizeCategory& row = CategoryOfId(category);
    return RangeOfSizes(row.min, row.max);
}

size_t FileCatalog::CountOfSize(uint64_t size) const { return RangeOfSizes(size, size).size(); }

uint32_t CountSizeSets(const FileCatalog& catalog, uint64_t min, uint64_t max) {
    uint32_t sets = 0;
    FileCatalog::EntryRange range = catalog.RangeOfSizes(min, max);
    for (size_t i = 0; i < range.size();) {
        size_t next = i + 1;
        while (next < range.size() && range[next].size == range[i].size) ++next;
        if (next - i > 1) ++sets;
        i = next;
    }
    return sets;
}

}  // namespace twinseek
