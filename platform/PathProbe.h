// Quick checks of a path before work starts on it.
#pragma once

#include "platform/FindData.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace twinseek {

// 0 when path names a directory this process may list, else the errno that
// says why not (ENOTDIR for a file, ELOOP for a symbolic link, ENOENT, EACCES...).
int DirectoryAccessError(const std::string& path);

// Whether path names a directory itself, not a link to one nor a file.
bool IsDirectory(const std::string& path);

// What the path itself is (a link is not followed): its kind, size, last-write
// time and identity on disk.
struct PathStatus {
    bool regular = false;
    bool link = false;
    bool directory = false;
    uint64_t size = 0;
    FileTime lastWrite;
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t mode = 0;  // st_mode, for EntryKindName
};

// 0 with status filled, or the errno that says why the path cannot be looked at.
int ProbePath(const std::string& path, PathStatus& status);

// The path names something, a dangling link included.
bool PathExists(const std::string& path);

// The entry at path as a directory search would find it (a link is not
// followed); false when it cannot be looked at or its name is too long.
bool DescribePath(const std::string& path, FindData& data);

// What kind of entry a st_mode describes, in words: "FIFO", "socket",
// "character device", "block device", "symbolic link", "folder" or "regular file".
std::string_view EntryKindName(uint32_t mode);

}  // namespace twinseek
