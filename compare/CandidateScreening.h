// Tells files of one size apart by a fast hash of their first and last bytes
// before any is digested, so that a comparison reads whole only the files that
// may still have a duplicate, and every group found still carries its SHA-1.
#pragma once

#include "catalog/FileItem.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace twinseek {

// Every file over kScreenHeadBytes is screened by its first kScreenHeadBytes;
// one over kScreenTailFrom also by its last kScreenTailBytes. A file no larger
// than the head would be read whole by screening, so it is digested at once.
constexpr size_t kScreenHeadBytes = 4096;
constexpr size_t kScreenTailBytes = 4096;
constexpr uint64_t kScreenTailFrom = 64 * 1024;

struct ScreeningOptions {
    // Threads that read the samples, the caller's included; from 1 up.
    uint32_t threads = 1;
    // Called on the caller's thread now and then with the files sampled so
    // far and the files to sample in all.
    std::function<void(size_t sampled, size_t total)> progress;
    // Sizes whose compared files are not to be read again (a refresh that
    // reads only what changed): there a NotCompared file is digested whole
    // when a compared file has its size, and screened among the NotCompared
    // ones otherwise. Unset, every size is screened against both.
    std::function<bool(uint64_t size)> leaveComparedUnread;
};

// Of candidates (the files of shared size, as SharedSizeFiles gives them), the
// NotCompared files that must still be digested, in the order given: those
// whose size and screening hash another candidate shares, whether that one is
// compared already (and could be read) or not. A file that cannot be sampled,
// or whose size is no longer its record's, is digested too, so the engine
// meets it and reports it as it reports any file it cannot read. Links are
// passed over.
std::vector<FileItem*> ScreenCandidates(std::span<FileItem* const> candidates, const ScreeningOptions& options);

}  // namespace twinseek
