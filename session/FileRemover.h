// Acts on a file that passed its checks, through the folder that holds it:
// removes it (for good or to the desktop's Trash), or puts a hard link to, or
// a clone of, the copy that stays in its place. The program's own remover does
// it (DiskFileRemover); tests fake it to see what was asked and make it fail.
#pragma once

#include "platform/FileIdentity.h"
#include "session/CleanupAction.h"

#include <string>

namespace twinseek {

// An entry of a folder open as a descriptor (possibly O_PATH), checked to be
// the file called identity, with its full path.
struct CheckedEntry {
    int folder = -1;
    std::string name;
    std::string path;
    FileIdentity identity;
};

struct RemoverOutcome {
    int error = 0;       // 0 once done; else the errno that says why not
    std::string reason;  // when set, said instead of the errno's text
    std::string trashFolder;  // where a file sent to the Trash went
    std::string trashName;
};

class FileRemover {
public:
    virtual ~FileRemover() = default;
    // Trash or Delete. Called on the thread that runs the cleanup.
    virtual RemoverOutcome Remove(const CheckedEntry& file, CleanupAction action) = 0;
    // HardLink or Clone of kept in the place of file.
    virtual RemoverOutcome Replace(const CheckedEntry& file, const CheckedEntry& kept, CleanupAction action) = 0;
};

}  // namespace twinseek
