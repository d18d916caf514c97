// Removing duplicates from the disk safely, and taking the removed files out of
// the document: only files still as they were compared, never the same file on
// disk as a copy that stays; every failure named with its reason.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "session/FileRemover.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace twinseek {

class AppSession;
class FileItem;

enum class RemovalMode { Permanently, ToTrash };

struct DeletionFailure {
    std::string path;
    std::string reason;
};

struct DeletionReport {
    size_t removed = 0;    // files this run took off the disk
    size_t discarded = 0;  // files that left the list and the document (removed, or gone already)
    bool cancelled = false;
    bool refused = false;  // a comparison was running: nothing was touched
    std::vector<DeletionFailure> failures;
};

// Asked before each file with how many of how many are done; false stops there.
using DeletionProgress = std::function<bool(size_t done, size_t total)>;

// Removes each file of doomed, in order, that is still a regular file with the
// size and last-write time of its record and is not the same file on disk as a
// copy of its group that stays (one not in doomed). Others are left untouched
// and named in report.failures; a file already gone is no failure. Touches
// neither the records nor the indexes.
void RemoveCheckedFiles(const DuplicateIndex& index, std::span<FileItem* const> doomed, FileRemover& remover,
                        RemovalMode mode, const DeletionProgress& keepGoing, DeletionReport& report);

// The text of the one warning that names the files that could not be removed,
// at most maxListed of them, each with its reason.
std::string DescribeFailures(std::span<const DeletionFailure> failures, size_t maxListed = 20);

inline constexpr char kDeletionWarningTitle[] = "Warning";

}  // namespace twinseek
