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

PathStatus ProbePath(const std::string& path) {
    struct stat status;
    if (lstat(path.c_str(), &status) != 0) return {errno, 0, 0};
    return {0, uint32_t(status.st_mode), uint64_t(status.st_size)};
}

std::string_view EntryKindName(uint32_t mode) {
    if (S_ISFIFO(mode)) return "FIFO";
    if (S_ISSOCK(mode)) return "socket";
    if (S_ISCHR(mode)) return "character device";
    if (S_ISBLK(mode)) return "block device";
    if (S_ISLNK(mode)) return "symbolic link";
    if (S_ISDIR(mode)) return "folder";
    return "regular file";
}

}  // namespace twinseek
