#include "platform/EntryRemoval.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

int UnlinkEntry(int folder, const std::string& name, const FileIdentity& expected) {
    struct stat status {};
    if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (FileIdentity{uint64_t(status.st_dev), uint64_t(status.st_ino)} != expected) return ESTALE;
    return unlinkat(folder, name.c_str(), 0) == 0 ? 0 : errno;
}

}  // namespace twinseek
