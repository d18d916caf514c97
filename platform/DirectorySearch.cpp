#include "platform/DirectorySearch.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace twinseek {

namespace {

// Kernel interfaces mounted as file systems: their entries are not user files,
// some of them never end (proc) and some block or have side effects on reading.
constexpr std::array<uint32_t, 21> kPseudoFileSystemTypes = {
    0x00009fa0,  // proc
    0x62656572,  // sysfs
    0x00001cd1,  // devpts
    0x0027e0eb,  // cgroup
    0x63677270,  // cgroup2
    0x64626720,  // debugfs
    0x74726163,  // tracefs
    0x73636673,  // securityfs
    0x6165676c,  // pstore
    0xcafe4a11,  // bpf
    0x62656570,  // configfs
    0x65735543,  // fusectl
    0x19800202,  // mqueue
    0x958458f6,  // hugetlbfs
    0x42494e4d,  // binfmt_misc
    0x00000187,  // autofs (a mount point not yet triggered)
    0xf97cff8c,  // selinuxfs
    0x43415d53,  // smackfs
    0xde5e81e4,  // efivarfs
    0x6e736673,  // nsfs
    0x67596969,  // rpc_pipefs
};

// devtmpfs reports the magic number of tmpfs (or of ramfs), which also holds
// real files in /tmp, so /dev is told apart by where it is mounted.
constexpr uint32_t kTmpfsType = 0x01021994;
constexpr uint32_t kRamfsType = 0x858458f6;

bool IsDeviceMountAtDev(int fd) {
    struct stat directory {}, dev {}, root {};
    if (fstat(fd, &directory) != 0 || lstat("/dev", &dev) != 0 || lstat("/", &root) != 0) return false;
    bool isDev = directory.st_dev == dev.st_dev && directory.st_ino == dev.st_ino;
    return isDev && dev.st_dev != root.st_dev;
}

struct stat StatFromStatx(const struct statx& extended) {
    struct stat status {};
    status.st_dev = makedev(extended.stx_dev_major, extended.stx_dev_minor);
    status.st_ino = extended.stx_ino;
    status.st_mode = extended.stx_mode;
    status.st_nlink = extended.stx_nlink;
    status.st_uid = extended.stx_uid;
    status.st_gid = extended.stx_gid;
    status.st_size = off_t(extended.stx_size);
    status.st_atim = {extended.stx_atime.tv_sec, extended.stx_atime.tv_nsec};
    status.st_mtim = {extended.stx_mtime.tv_sec, extended.stx_mtime.tv_nsec};
    status.st_ctim = {extended.stx_ctime.tv_sec, extended.stx_ctime.tv_nsec};
    return status;
}

// Describes the entry called name in the directory open as directoryFd, without
// following a link or triggering an automount; false when it cannot be examined.
bool DescribeEntry(int directoryFd, const char* name, FindData& data) {
    if (std::strlen(name) >= sizeof data.cFileName) {
        errno = ENAMETOOLONG;
        return false;
    }
    struct statx extended {};
    if (statx(directoryFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_BTIME,
              &extended) == 0) {
        struct stat status = StatFromStatx(extended);
        struct timespec birth {extended.stx_btime.tv_sec, extended.stx_btime.tv_nsec};
        FillFindData(data, status, name, (extended.stx_mask & STATX_BTIME) ? &birth : nullptr);
        data.mountRoot = (extended.stx_attributes_mask & extended.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    } else {
        // Kernels or sandboxes without statx still answer fstatat.
        struct stat status {};
        if (fstatat(directoryFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return false;
        FillFindData(data, status, name, nullptr);
    }
    data.SetName(name);
    return true;
}

}  // namespace

bool IsPseudoFileSystem(int fd) {
    struct statfs fileSystem {};
    if (fstatfs(fd, &fileSystem) != 0) return false;
    uint32_t type = uint32_t(fileSystem.f_type);
    if (std::find(kPseudoFileSystemTypes.begin(), kPseudoFileSystemTypes.end(), type) !=
        kPseudoFileSystemTypes.end())
        return true;
    return (type == kTmpfsType || type == kRamfsType) && IsDeviceMountAtDev(fd);
}

bool DirectorySearch::FindFirst(const char* path, FindData& data) {
    Close();
    missedEntries = false;
    int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    directory = fdopendir(fd);
    if (!directory) {
        int cause = errno;
        close(fd);
        errno = cause;
        return false;
    }
    if (FindNext(data)) return true;
    Close();
    errno = ENOENT;
    return false;
}

bool DirectorySearch::FindNext(FindData& data) {
    if (!directory) return false;
    int fd = dirfd(directory);
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(directory);
        if (!entry) {
            if (errno != 0) missedEntries = true;
            return false;
        }
        if (DescribeEntry(fd, entry->d_name, data)) return true;
        // One that vanished is simply gone; one still there was missed.
        if (errno != ENOENT) missedEntries = true;
    }
}

void DirectorySearch::Close() {
    if (directory) closedir(directory);
    directory = nullptr;
}

bool DirectorySearch::IsOnPseudoFileSystem() const {
    return directory && IsPseudoFileSystem(dirfd(directory));
}

}  // namespace twinseek
