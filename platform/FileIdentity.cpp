#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace twinseek {

std::optional<FileIdentity> IdentityOfPath(const char* path) {
    struct stat status {};
    if (lstat(path, &status) != 0) return std::nullopt;
    return FileIdentity{uint64_t(status.st_dev), uint64_t(status.st_ino)};
}

}  // namespace twinseek
