// Puts a hard link to, or a copy-on-write clone of, a copy that stays in the
// place of a checked file, and makes such a file a separate copy again: each
// made under a temporary name in the file's folder and renamed over it in one
// step, so that a failure at any point leaves the file as it was.
#pragma once

#include "platform/FileIdentity.h"

#include <cstdint>
#include <string>

namespace twinseek {

// An entry of a folder open as a descriptor (O_PATH will do), checked to be
// the file called identity.
struct FolderEntry {
    int folder = -1;
    std::string name;
    FileIdentity identity;
};

// What a file was besides its bytes, to be given back to a copy of it.
struct FileMetadata {
    uint32_t mode = 0;  // permission bits
    uint32_t owner = 0;
    uint32_t group = 0;
    int64_t accessNanos = 0;
    int64_t writeNanos = 0;
};

struct ReplacementOutcome {
    int error = 0;       // 0 on success, else the errno
    std::string reason;  // when the errno alone does not say it
};

// The metadata of entry now; error set when it cannot be read.
ReplacementOutcome ReadMetadata(const FolderEntry& entry, FileMetadata& metadata);

// file becomes another name of kept (a hard link: kept's inode, times and mode).
ReplacementOutcome ReplaceWithHardLink(const FolderEntry& file, const FolderEntry& kept);
// file becomes a clone of kept sharing its blocks, with file's mode, owner
// (where allowed) and times. A file system that cannot clone refuses.
ReplacementOutcome ReplaceWithClone(const FolderEntry& file, const FolderEntry& kept);
// The entry called name becomes a file of its own with the same bytes and the
// metadata given (the owner where allowed), whatever other names its file has.
ReplacementOutcome MakeSeparateCopy(const FolderEntry& file, const FileMetadata& metadata);

}  // namespace twinseek
