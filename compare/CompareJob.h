// One row of the Comparing list: a file handed to the compare engine and the
// progress of its read. The worker writes the counters; the user interface
// reads them for display and may see them a moment late.
#pragma once

#include "catalog/FileItem.h"
#include "compare/ReadFailure.h"
#include "platform/DiskStamp.h"

#include <atomic>
#include <cstdint>

namespace twinseek {

struct CompareJob {
    explicit CompareJob(FileItem* file, FileItem* firstPath = nullptr) : item(file), sameFileAs(firstPath) {}

    FileItem* const item;  // not owned
    // When item is a further path of a file (a hard link), the path that is
    // read for it; item itself is never read. Not owned.
    FileItem* const sameFileAs;
    // Tick counts of the last progress step and of the start of the read; both
    // 0 until the worker starts the file. startTick is stored after lastTick
    // with release, so a reader that sees it also sees a lastTick no older.
    std::atomic<uint32_t> lastTick{0};
    std::atomic<uint32_t> startTick{0};
    std::atomic<uint64_t> bytesDone{0};
    // The file the worker opened, as it stood then, published with the
    // Digested state, so that collecting it needs no look at the disk of its own.
    DiskStamp stamp;
    // Why the worker could not digest it, published the same way.
    ReadFailure failure;
};

}  // namespace twinseek
