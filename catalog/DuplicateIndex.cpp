#include "catalog/DuplicateIndex.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <iterator>

namespace twinseek {

namespace {

constexpr size_t kKeyBuffer = 64;

// The key text of a file; returns its length.
size_t KeyOf(const FileItem* item, char* out) {
    char* end = std::to_chars(out, out + 20, item->Size()).ptr;
    std::string_view digest = item->DigestText();
    std::memcpy(end, digest.data(), digest.size());
    return size_t(end - out) + digest.size();
}

int DecimalDigits(uint64_t value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

int CompareKeys(const FileItem* a, const FileItem* b) {
    uint64_t sizeA = a->Size();
    uint64_t sizeB = b->Size();
    if (sizeA == sizeB) return std::strcmp(a->digestText, b->digestText);
    // Decimal texts of equal length order like their numbers.
    if (DecimalDigits(sizeA) == DecimalDigits(sizeB)) return sizeA < sizeB ? -1 : 1;
    char keyA[kKeyBuffer];
    char keyB[kKeyBuffer];
    std::string_view textA(keyA, KeyOf(a, keyA));
    std::string_view textB(keyB, KeyOf(b, keyB));
    return textA.compare(textB);
}

int CompareKey(const FileItem* a, std::string_view key) {
    char text[kKeyBuffer];
    return std::string_view(text, KeyOf(a, text)).compare(key);
}

bool SameKey(const FileItem* a, const FileItem* b) { return CompareKeys(a, b) == 0; }

bool LargerFirst(const auto& a, const auto& b) { return a.size > b.size; }

}  // namespace

bool ByDuplicateKey::operator()(const FileItem* a, const FileItem* b) const { return CompareKeys(a, b) < 0; }
bool ByDuplicateKey::operator()(const FileItem* a, std::string_view key) const { return CompareKey(a, key) < 0; }
bool ByDuplicateKey::operator()(std::string_view key, const FileItem* b) const { return CompareKey(b, key) > 0; }

bool DuplicateIndex::Insert(FileItem* item) {
    if (item->IsUnopenable()) return false;
    auto position = duplicateMap.upper_bound(item);
    bool newKey = position == duplicateMap.begin() || !SameKey(*std::prev(position), item);
    duplicateMap.insert(position, item);
    if (newKey) newKeys.push_back({item->Size(), item});
    return true;
}

namespace {

// A file of a batch with the first 12 bytes of its key, zero-padded, as
// big-endian numbers: they order like the keys' starts, so only files whose
// keys start alike need their whole keys compared.
struct KeyedFile {
    uint64_t high;
    uint32_t low;
    uint32_t order;
    FileItem* item;
};

KeyedFile MakeKeyedFile(FileItem* item, uint32_t order) {
    char key[kKeyBuffer] = {};
    KeyOf(item, key);
    KeyedFile keyed{0, 0, order, item};
    for (int i = 0; i < 8; ++i) keyed.high = keyed.high << 8 | uint8_t(key[i]);
    for (int i = 8; i < 12; ++i) keyed.low = keyed.low << 8 | uint8_t(key[i]);
    return keyed;
}

int CompareKeyedFiles(const KeyedFile& a, const KeyedFile& b) {
    if (a.high != b.high) return a.high < b.high ? -1 : 1;
    if (a.low != b.low) return a.low < b.low ? -1 : 1;
    return CompareKeys(a.item, b.item);
}

}  // namespace

size_t DuplicateIndex::InsertAll(std::span<FileItem* const> items) {
    if (!duplicateMap.empty() || items.size() > UINT32_MAX) {
        size_t filed = 0;
        for (FileItem* item : items) filed += Insert(item) ? 1 : 0;
        return filed;
    }
    std::vector<KeyedFile> batch;
    batch.reserve(items.size());
    for (size_t order = 0; order < items.size(); ++order)
        if (!items[order]->IsUnopenable()) batch.push_back(MakeKeyedFile(items[order], uint32_t(order)));
    // Files of one key keep the order they came in, as Insert would file them.
    std::sort(batch.begin(), batch.end(), [](const KeyedFile& a, const KeyedFile& b) {
        int compared = CompareKeyedFiles(a, b);
        return compared != 0 ? compared < 0 : a.order < b.order;
    });

    // The first file of each key opens it.
    std::vector<bool> opensKey(items.size(), false);
    size_t keyCount = 0;
    for (size_t i = 0; i < batch.size(); ++i)
        if (i == 0 || CompareKeyedFiles(batch[i - 1], batch[i]) != 0) {
            opensKey[batch[i].order] = true;
            ++keyCount;
        }
    // Each insert compares the file with the last one filed; in key order the
    // files lie scattered in memory, so their keys are fetched a few files ahead.
    constexpr size_t kFetchAhead = 16;
    for (size_t i = 0; i < batch.size(); ++i) {
        if (i + kFetchAhead < batch.size()) {
            const FileItem* ahead = batch[i + kFetchAhead].item;
            __builtin_prefetch(&ahead->findData);
            __builtin_prefetch(ahead->digestText);
        }
        duplicateMap.emplace_hint(duplicateMap.end(), batch[i].item);
    }
    // Keys are listed in the order their first files came in.
    newKeys.reserve(newKeys.size() + keyCount);
    for (size_t order = 0; order < items.size(); ++order)
        if (opensKey[order]) newKeys.push_back({items[order]->Size(), items[order]});
    return batch.size();
}

DuplicateIndex::KeyEntry* DuplicateIndex::FindKeyEntry(const FileItem* item) {
    auto [first, last] =
        std::equal_range(groupKeysBySize.begin(), groupKeysBySize.end(), KeyEntry{item->Size(), nullptr},
                         [](const KeyEntry& a, const KeyEntry& b) { return LargerFirst(a, b); });
    for (auto it = first; it != last; ++it)
        if (it->holder && SameKey(it->holder, item)) return &*it;
    for (KeyEntry& entry : newKeys)
        if (entry.size == item->Size() && SameKey(entry.holder, item)) return &entry;
    return nullptr;
}

bool DuplicateIndex::Remove(FileItem* item) {
    auto [first, last] = duplicateMap.equal_range(item);
    auto found = std::find(first, last, item);
    if (found == last) return false;
    bool lastOfKey = std::next(first) == last;
    // Decided before the erase: found is invalid afterwards.
    bool wasFirst = found == first;
    auto after = duplicateMap.erase(found);
    KeyEntry* entry = FindKeyEntry(item);
    if (!entry) return true;
    if (lastOfKey) {
        if (entry >= newKeys.data() && entry < newKeys.data() + newKeys.size()) {
            newKeys.erase(newKeys.begin() + (entry - newKeys.data()));
        } else {
            entry->holder = nullptr;
            ++holes;
        }
    } else if (entry->holder == item) {
        entry->holder = wasFirst ? *after : *first;
    }
    return true;
}

void DuplicateIndex::Clear() {
    duplicateMap.clear();
    groupKeysBySize.clear();
    groupKeysBySize.shrink_to_fit();
    newKeys.clear();
    newKeys.shrink_to_fit();
    holes = 0;
}

size_t DuplicateIndex::Count(std::string_view key) const {
    auto [first, last] = duplicateMap.equal_range(key);
    return size_t(std::distance(first, last));
}

size_t DuplicateIndex::CountOfKeyOf(const FileItem* item) const {
    auto [first, last] = duplicateMap.equal_range(const_cast<FileItem*>(item));
    return size_t(std::distance(first, last));
}

DuplicateIndex::FileRange DuplicateIndex::Files(std::string_view key) const { return duplicateMap.equal_range(key); }

FileItem* DuplicateIndex::First(std::string_view key) const {
    auto it = duplicateMap.lower_bound(key);
    return it != duplicateMap.end() && CompareKey(*it, key) == 0 ? *it : nullptr;
}

void DuplicateIndex::SettleKeys() const {
    if (holes != 0) {
        std::erase_if(groupKeysBySize, [](const KeyEntry& entry) { return entry.holder == nullptr; });
        holes = 0;
    }
    if (newKeys.empty()) return;
    auto larger = [](const KeyEntry& a, const KeyEntry& b) { return LargerFirst(a, b); };
    if (!std::is_sorted(newKeys.begin(), newKeys.end(), larger))
        std::stable_sort(newKeys.begin(), newKeys.end(), larger);
    if (groupKeysBySize.empty()) {
        groupKeysBySize.swap(newKeys);
    } else {
        size_t middle = groupKeysBySize.size();
        groupKeysBySize.insert(groupKeysBySize.end(), newKeys.begin(), newKeys.end());
        if (groupKeysBySize[middle].size > groupKeysBySize[middle - 1].size)
            std::inplace_merge(groupKeysBySize.begin(), groupKeysBySize.begin() + middle, groupKeysBySize.end(),
                               larger);
    }
    std::vector<KeyEntry>().swap(newKeys);
}

void DuplicateIndex::ForEachKey(const std::function<void(uint64_t, std::string_view)>& visit) const {
    SettleKeys();
    char key[kKeyBuffer];
    for (const KeyEntry& entry : groupKeysBySize) visit(entry.size, std::string_view(key, KeyOf(entry.holder, key)));
}

void DuplicateIndex::ForEachDuplicateGroup(const std::function<void(uint64_t, FileRange)>& visit) const {
    SettleKeys();
    // Each key's place in the visiting order, looked up by the file holding it.
    using Place = std::pair<const FileItem*, size_t>;
    auto byHolder = [](const Place& a, const Place& b) { return std::less<const FileItem*>()(a.first, b.first); };
    std::vector<Place> places;
    places.reserve(groupKeysBySize.size());
    for (size_t i = 0; i < groupKeysBySize.size(); ++i) places.emplace_back(groupKeysBySize[i].holder, i);
    std::sort(places.begin(), places.end(), byHolder);

    std::vector<std::pair<size_t, FileRange>> groups;
    for (auto first = duplicateMap.begin(); first != duplicateMap.end();) {
        auto last = std::next(first);
        while (last != duplicateMap.end() && SameKey(*first, *last)) ++last;
        if (std::next(first) != last) {
            for (auto it = first; it != last; ++it) {
                auto found = std::lower_bound(places.begin(), places.end(), Place{*it, 0}, byHolder);
                if (found != places.end() && found->first == *it) {
                    groups.push_back({found->second, {first, last}});
                    break;
                }
            }
        }
        first = last;
    }
    std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [place, files] : groups) visit(groupKeysBySize[place].size, files);
}

size_t DuplicateIndex::KeyCount() const {
    SettleKeys();
    return groupKeysBySize.size();
}

}  // namespace twinseek
