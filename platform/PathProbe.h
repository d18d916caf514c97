// Quick checks of a path before work starts on it.
#pragma once

#include <string>

namespace twinseek {

// 0 when path names a directory this process may list, else the errno that
// says why not (ENOTDIR for a file, ELOOP for a symbolic link, ENOENT, EACCES...).
int DirectoryAccessError(const std::string& path);

}  // namespace twinseek
