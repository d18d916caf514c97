// How a file stood on disk when it was last looked at closely: which file it
// was, its size and its times to the nanosecond. The change time is one that
// no program can set back, so a rewrite whose write time was put back shows.
#pragma once

#include "platform/FileIdentity.h"

#include <cstdint>
#include <sys/stat.h>

namespace twinseek {

struct DiskStamp {
    FileIdentity identity;
    uint64_t size = 0;
    int64_t writeNanos = 0;   // last write, nanoseconds since 1970
    int64_t changeNanos = 0;  // last change of content or metadata, nanoseconds since 1970

    bool operator==(const DiskStamp&) const = default;
};

DiskStamp StampOfStatus(const struct stat& status);

}  // namespace twinseek
