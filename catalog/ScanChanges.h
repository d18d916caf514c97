// What a scan found of the records the catalogue held before it: files whose
// entry changed on disk, records gone from folders it listed whole, and how
// unchanged compared files stood. The scan thread fills it; the document
// applies it when the scan is committed and drops it when it is cancelled.
#pragma once

#include "catalog/FileItem.h"
#include "catalog/FolderItem.h"
#include "platform/DiskStamp.h"
#include "platform/FindData.h"

#include <cstdint>
#include <vector>

namespace twinseek {

// Files (regular files' paths; folders are not counted) a scan found new,
// changed and gone.
struct RefreshCounts {
    uint64_t newFiles = 0;
    uint64_t changedFiles = 0;
    uint64_t goneFiles = 0;
};

struct ScanChanges {
    struct ChangedFile {
        FileItem* file;
        EntryData entry;  // as the scan found it
    };
    struct StampedFile {
        FileItem* file;
        DiskStamp stamp;
        bool otherNames;  // the file has more than one name on its file system
    };

    // Held files whose size, last-write time or kind differs from the record;
    // each is also in the intake under its new size.
    std::vector<ChangedFile> changed;
    // Held records that a folder listed to its end no longer holds.
    std::vector<FileItem*> goneFiles;
    std::vector<FolderItem*> goneFolders;
    // Held Finished files met unchanged, as they stand on disk.
    std::vector<StampedFile> unchanged;
    // Paths of one file (hard links) met by the scan, in the order met, among
    // which a changed record is: linked once the changed records are reset.
    std::vector<std::vector<FileItem*>> linksToRedo;
    // A regular file that is a mount point itself (a bind mount of a file) was met.
    bool mountedFileMet = false;
    RefreshCounts counts;

    void Clear() { *this = ScanChanges(); }
};

}  // namespace twinseek
