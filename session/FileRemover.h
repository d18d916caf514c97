// Takes files off the disk for the delete dialog, for good or to the desktop's
// Trash. The desktop program implements it; tests fake it.
#pragma once

#include <string>

namespace twinseek {

class FileRemover {
public:
    virtual ~FileRemover() = default;
    // Each returns 0, or the errno that says why path could not be removed.
    virtual int RemovePermanently(const std::string& path) = 0;
    virtual int MoveToTrash(const std::string& path) = 0;
};

}  // namespace twinseek
