// Takes a file that passed its checks off the disk, through the folder that
// holds it, for good or to the desktop's Trash. The program's remover does it
// (DiskFileRemover); tests fake it to see what was asked and make it fail.
#pragma once

#include "platform/FileIdentity.h"

#include <string>

namespace twinseek {

enum class RemovalMode { Permanently, ToTrash };

struct RemoverOutcome {
    int error = 0;       // 0 once the file is gone from its folder; else the errno that says why not
    std::string reason;  // when set, said instead of the errno's text
};

class FileRemover {
public:
    virtual ~FileRemover() = default;
    // folder is open (possibly O_PATH) on the folder holding the entry called
    // name; path is the file's full path; identity the file it was checked as.
    // Called on the thread that runs the removal.
    virtual RemoverOutcome Remove(int folder, const std::string& name, const std::string& path,
                                  const FileIdentity& identity, RemovalMode mode) = 0;
};

}  // namespace twinseek
