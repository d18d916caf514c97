#include "platform/PathProbe.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

int DirectoryAccessError(const std::string& path) {
    // Opened as the walk opens a folder: a link to one is not listed there.
    int descriptor = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        int error = errno;
        // The system calls a link "not a directory"; say what it really is.
        struct stat status;
        if (error == ENOTDIR && lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) return ELOOP;
        return error;
    }
    close(descriptor);
    return 0;
}

bool IsDirectory(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace twinseek
