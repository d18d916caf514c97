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

}  // namespace

bool ByDuplicateKey::operator()(const FileItem* a, const FileItem* b) const {
    if (comparisons) ++*comparisons;
    return CompareKeys(a, b) < 0;
}

bool ByDuplicateKey::operator()(const FileItem* a, std::string_view key) const {
    if (comparisons) ++*comparisons;
    return CompareKey(a, key) < 0;
}

bool ByDuplicateKey::operator()(std::string_view key, const FileItem* b) const {
    if (comparisons) ++*comparisons;
    return CompareKey(b, key) > 0;
}

DuplicateIndex::Place& DuplicateIndex::PlaceOf(const FileItem* item) {
    ++steps;
    return places.find(item)->second;
}

const DuplicateIndex::Place& DuplicateIndex::PlaceOf(const FileItem* item) const {
    ++steps;
    return places.find(item)->second;
}

bool DuplicateIndex::Insert(FileItem* item) {
    if (item->IsUnopenable()) return false;
    ++steps;
    auto [placed, fresh] = places.try_emplace(item);
    if (!fresh) return false;
    Place& place = placed->second;
    try {
        auto first = duplicateMap.lower_bound(item);
        if (first == duplicateMap.end() || duplicateMap.key_comp()(item, *first)) {
            // A new key: it goes right before the first file of a larger key.
            place.node = duplicateMap.insert(first, item);
            place.keyFiles = 1;
            place.keyStamp = nextStamp++;
            ++keyCount;
        } else {
            // A multiset files an equal key after those already there.
            place.node = duplicateMap.insert(item);
            ++PlaceOf(*first).keyFiles;
        }
    } catch (...) {
        places.erase(placed);
        throw;
    }
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
    std::sort(batch.begin(), batch.end(), [this](const KeyedFile& a, const KeyedFile& b) {
        ++steps;
        int compared = CompareKeyedFiles(a, b);
        return compared != 0 ? compared < 0 : a.order < b.order;
    });

    places.reserve(batch.size());
    // Each insert compares the file with the last one filed; in key order the
    // files lie scattered in memory, so their keys are fetched a few files ahead.
    constexpr size_t kFetchAhead = 16;
    const KeyedFile* lastFiled = nullptr;
    Place* keyFirst = nullptr;
    for (size_t i = 0; i < batch.size(); ++i) {
        if (i + kFetchAhead < batch.size()) {
            const FileItem* ahead = batch[i + kFetchAhead].item;
            __builtin_prefetch(&ahead->findData);
            __builtin_prefetch(ahead->digestText);
        }
        ++steps;
        auto [placed, fresh] = places.try_emplace(batch[i].item);
        if (!fresh) continue;
        Place& place = placed->second;
        try {
            place.node = duplicateMap.emplace_hint(duplicateMap.end(), batch[i].item);
        } catch (...) {
            places.erase(placed);
            throw;
        }
        if (!lastFiled || CompareKeyedFiles(*lastFiled, batch[i]) != 0) {
            // The first file of its key in the batch; the stamps order the keys
            // as their first files came in.
            keyFirst = &place;
            keyFirst->keyStamp = nextStamp + batch[i].order;
            ++keyCount;
        }
        ++keyFirst->keyFiles;
        lastFiled = &batch[i];
    }
    nextStamp += items.size();
    return duplicateMap.size();
}

bool DuplicateIndex::Remove(FileItem* item) {
    ++steps;
    auto found = places.find(item);
    if (found == places.end()) return false;
    const Place& place = found->second;
    if (place.keyFiles > 1) {
        // The key's first file: the next one takes over the count and stamp.
        Place& heir = PlaceOf(*std::next(place.node));
        heir.keyFiles = place.keyFiles - 1;
        heir.keyStamp = place.keyStamp;
    } else if (place.keyFiles == 1) {
        --keyCount;
    } else {
        --PlaceOf(*duplicateMap.lower_bound(item)).keyFiles;
    }
    duplicateMap.erase(place.node);
    places.erase(found);
    return true;
}

void DuplicateIndex::Clear() {
    places = {};
    duplicateMap.clear();
    keyCount = 0;
}

size_t DuplicateIndex::Count(std::string_view key) const {
    auto first = duplicateMap.lower_bound(key);
    if (first == duplicateMap.end() || duplicateMap.key_comp()(key, *first)) return 0;
    return PlaceOf(*first).keyFiles;
}

size_t DuplicateIndex::CountOfKeyOf(const FileItem* item) const {
    auto first = duplicateMap.lower_bound(item);
    if (first == duplicateMap.end() || duplicateMap.key_comp()(item, *first)) return 0;
    return PlaceOf(*first).keyFiles;
}

// Not equal_range: for a key of another type than the elements, libstdc++
// walks from the first file of the key to the last.
DuplicateIndex::FileRange DuplicateIndex::Files(std::string_view key) const {
    return {duplicateMap.lower_bound(key), duplicateMap.upper_bound(key)};
}

FileItem* DuplicateIndex::First(std::string_view key) const {
    auto first = duplicateMap.lower_bound(key);
    return first != duplicateMap.end() && !duplicateMap.key_comp()(key, *first) ? *first : nullptr;
}

std::vector<DuplicateIndex::KeyVisit> DuplicateIndex::KeysInOrder(bool duplicatesOnly) const {
    std::vector<KeyVisit> keys;
    keys.reserve(keyCount);
    for (auto first = duplicateMap.begin(); first != duplicateMap.end();) {
        const Place& place = PlaceOf(*first);
        auto last = std::next(first, ptrdiff_t(place.keyFiles));
        steps += place.keyFiles;
        if (!duplicatesOnly || place.keyFiles > 1) keys.push_back({(*first)->Size(), place.keyStamp, {first, last}});
        first = last;
    }
    std::sort(keys.begin(), keys.end(), [this](const KeyVisit& a, const KeyVisit& b) {
        ++steps;
        return a.size != b.size ? a.size > b.size : a.stamp < b.stamp;
    });
    return keys;
}

void DuplicateIndex::ForEachKey(const std::function<void(uint64_t, std::string_view)>& visit) const {
    char key[kKeyBuffer];
    for (const KeyVisit& entry : KeysInOrder(false))
        visit(entry.size, std::string_view(key, KeyOf(*entry.files.first, key)));
}

void DuplicateIndex::ForEachDuplicateGroup(const std::function<void(uint64_t, FileRange)>& visit) const {
    for (const KeyVisit& entry : KeysInOrder(true)) visit(entry.size, entry.files);
}

}  // namespace twinseek
