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

int ProbePath(const std::string& path, PathStatus& status) {
    struct stat entry;
    if (lstat(path.c_str(), &entry) != 0) return errno;
    status.regular = S_ISREG(entry.st_mode);
    status.link = S_ISLNK(entry.st_mode);
    status.directory = S_ISDIR(entry.st_mode);
    status.size = uint64_t(entry.st_size);
    // The same conversion as a directory search's, so that equal times compare equal.
    status.lastWrite = FileTime::FromUnix(entry.st_mtim.tv_sec, uint32_t(entry.st_mtim.tv_nsec));
    status.device = uint64_t(entry.st_dev);
    status.inode = uint64_t(entry.st_ino);
    status.mode = uint32_t(entry.st_mode);
    return 0;
}

bool PathExists(const std::string& path) {
    struct stat entry;
    return lstat(path.c_str(), &entry) == 0;
}

bool DescribePath(const std::string& path, FindData& data) {
    struct stat entry;
    if (lstat(path.c_str(), &entry) != 0) return false;
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    FillFindData(data, entry, name.c_str(), nullptr);
    return data.SetName(name.c_str());
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
