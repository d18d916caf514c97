// Quick checks of a path before work starts on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace twinseek {

// 0 when path names a directory this process may list, else the errno that
// says why not (ENOTDIR for a file, ELOOP for a symbolic link, ENOENT, EACCES...).
int DirectoryAccessError(const std::string& path);

// What stands at path itself (a link is not followed): its st_mode and size,
// or the errno that kept it from being examined.
struct PathStatus {
    int error = 0;
    uint32_t mode = 0;
    uint64_t size = 0;
};
PathStatus ProbePath(const std::string& path);

// What kind of entry a st_mode describes, in words: "FIFO", "socket",
// "character device", "block device", "symbolic link", "folder" or "regular file".
std::string_view EntryKindName(uint32_t mode);

}  // namespace twinseek
