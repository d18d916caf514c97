#include "platform/DiskStamp.h"

namespace twinseek {

namespace {
int64_t Nanos(const struct timespec& time) { return int64_t(time.tv_sec) * 1000000000 + time.tv_nsec; }
}  // namespace

DiskStamp StampOfStatus(const struct stat& status) {
    return {{uint64_t(status.st_dev), uint64_t(status.st_ino)},
            uint64_t(status.st_size),
            Nanos(status.st_mtim),
            Nanos(status.st_ctim)};
}

}  // namespace twinseek
