// Quick checks of a path before work starts on it.
#pragma once

#include <string>

namespace twinseek {

// 0 when path names a directory this process may list, else the errno that
// says why not (ENOTDIR for a file, ELOOP for a symbolic link, ENOENT, EACCES...).
int DirectoryAccessError(const std::string& path);

// Whether path names a directory itself, not a link to one nor a file.
bool IsDirectory(const std::string& path);

}  // namespace twinseek
