#include "compare/CandidateScreening.h"

#include "platform/FileContentReader.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <string_view>
#include <system_error>
#include <thread>

namespace twinseek {

namespace {

struct Sample {
    uint64_t hash = 0;
    bool read = false;  // false: not read, or not of its record's size
};

// The hash of the head of item and, for a large file, its tail.
Sample SampleFile(FileContentReader& reader, const FileItem& item, uint8_t* buffer) {
    const uint64_t size = item.Size();
    if (!reader.Open(item.GetFullPath().data(), FileContentReader::Access::Sampled)) return {};
    Sample sample;
    if (reader.Size() == size) {
        size_t length = kScreenHeadBytes;
        bool whole = reader.ReadAt(buffer, kScreenHeadBytes, 0).bytes == kScreenHeadBytes;
        if (whole && size > kScreenTailFrom) {
            whole = reader.ReadAt(buffer + length, kScreenTailBytes, size - kScreenTailBytes).bytes == kScreenTailBytes;
            length += kScreenTailBytes;
        }
        if (whole) sample = {std::hash<std::string_view>{}({reinterpret_cast<const char*>(buffer), length}), true};
    }
    reader.Close();
    return sample;
}

// Samples every file, spreading them over the threads the options allow.
std::vector<Sample> SampleAll(const std::vector<FileItem*>& files, const ScreeningOptions& options) {
    constexpr size_t kBatch = 32;
    std::vector<Sample> samples(files.size());
    std::atomic<size_t> next{0};
    std::atomic<size_t> sampled{0};
    auto work = [&](bool reportProgress) {
        FileContentReader reader;
        uint8_t buffer[kScreenHeadBytes + kScreenTailBytes];
        for (;;) {
            const size_t first = next.fetch_add(kBatch, std::memory_order_relaxed);
            if (first >= files.size()) return;
            const size_t last = std::min(first + kBatch, files.size());
            for (size_t i = first; i < last; ++i) samples[i] = SampleFile(reader, *files[i], buffer);
            const size_t done = sampled.fetch_add(last - first, std::memory_order_relaxed) + (last - first);
            if (reportProgress && options.progress) options.progress(done, files.size());
        }
    };
    const size_t batches = (files.size() + kBatch - 1) / kBatch;
    std::vector<std::thread> helpers;
    for (size_t i = 1; i < std::min<size_t>(options.threads, batches); ++i) {
        try {
            helpers.emplace_back(work, false);
        } catch (const std::system_error&) {
            break;  // fewer threads read the rest
        }
    }
    work(true);
    for (std::thread& helper : helpers) helper.join();
    return samples;
}

}  // namespace

std::vector<FileItem*> ScreenCandidates(std::span<FileItem* const> candidates, const ScreeningOptions& options) {
    auto pending = [](const FileItem* item) {
        return !item->IsLink() && item->compareState.load(std::memory_order_relaxed) == NotCompared;
    };
    // Compared before, and so possibly the duplicate of a pending file.
    auto known = [&](const FileItem* item) { return !item->IsLink() && !pending(item) && !item->IsUnopenable(); };

    std::vector<uint32_t> bySize(candidates.size());
    std::iota(bySize.begin(), bySize.end(), 0u);
    std::stable_sort(bySize.begin(), bySize.end(),
                     [&](uint32_t a, uint32_t b) { return candidates[a]->Size() < candidates[b]->Size(); });

    std::vector<bool> digest(candidates.size(), false);
    // The files to sample, size by size, with where each stands in candidates,
    // and where each size's files begin.
    std::vector<FileItem*> toSample;
    std::vector<uint32_t> positions;
    std::vector<size_t> sizeStarts;
    for (size_t first = 0; first < bySize.size();) {
        const uint64_t size = candidates[bySize[first]]->Size();
        size_t last = first;
        size_t pendingCount = 0, knownCount = 0;
        for (; last < bySize.size() && candidates[bySize[last]]->Size() == size; ++last) {
            pendingCount += pending(candidates[bySize[last]]);
            knownCount += known(candidates[bySize[last]]);
        }
        const bool wholeNow = pendingCount != 0 && (size <= kScreenHeadBytes ||
                                                    (knownCount != 0 && options.leaveComparedUnread &&
                                                     options.leaveComparedUnread(size)));
        if (wholeNow) {
            for (size_t i = first; i < last; ++i) digest[bySize[i]] = pending(candidates[bySize[i]]);
        } else if (pendingCount != 0 && pendingCount + knownCount >= 2) {
            sizeStarts.push_back(toSample.size());
            for (size_t i = first; i < last; ++i) {
                FileItem* item = candidates[bySize[i]];
                if (!pending(item) && !known(item)) continue;
                toSample.push_back(item);
                positions.push_back(bySize[i]);
            }
        }
        first = last;
    }
    sizeStarts.push_back(toSample.size());

    const std::vector<Sample> samples = SampleAll(toSample, options);
    std::vector<uint32_t> byHash;
    for (size_t s = 0; s + 1 < sizeStarts.size(); ++s) {
        const size_t begin = sizeStarts[s], end = sizeStarts[s + 1];
        bool knownUnread = false;
        byHash.clear();
        for (size_t i = begin; i < end; ++i) {
            if (samples[i].read) byHash.push_back(uint32_t(i));
            else if (pending(toSample[i])) digest[positions[i]] = true;  // the engine will say why
            else knownUnread = true;
        }
        if (knownUnread) {
            // A compared file that cannot be sampled could match any of them.
            for (size_t i = begin; i < end; ++i) digest[positions[i]] = digest[positions[i]] || pending(toSample[i]);
            continue;
        }
        std::sort(byHash.begin(), byHash.end(), [&](uint32_t a, uint32_t b) { return samples[a].hash < samples[b].hash; });
        for (size_t first = 0; first < byHash.size();) {
            size_t last = first + 1;
            while (last < byHash.size() && samples[byHash[last]].hash == samples[byHash[first]].hash) ++last;
            if (last - first > 1)
                for (size_t i = first; i < last; ++i) digest[positions[byHash[i]]] = pending(toSample[byHash[i]]);
            first = last;
        }
    }

    std::vector<FileItem*> chosen;
    for (size_t i = 0; i < candidates.size(); ++i)
        if (digest[i]) chosen.push_back(candidates[i]);
    return chosen;
}

}  // namespace twinseek
