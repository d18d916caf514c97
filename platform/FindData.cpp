#include "platform/FindData.h"

#include <cstring>

namespace twinseek {

namespace {
// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpochInFileTime = 116444736000000000LL;
}  // namespace

FileTime FileTime::FromUnix(int64_t seconds, uint32_t nanoseconds) {
    int64_t value = seconds * 10000000LL + nanoseconds / 100 + kUnixEpochInFileTime;
    return FromValue(value < 0 ? 0 : uint64_t(value));
}

bool FindData::SetName(const char* name) {
    size_t length = std::strlen(name);
    if (length >= sizeof cFileName) return false;
    std::memcpy(cFileName, name, length + 1);
    return true;
}

void FillFindData(FindData& data, const struct stat& status, const char* name,
                  const struct timespec* birthTime) {
    uint32_t attributes = 0;
    if (S_ISDIR(status.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (S_ISLNK(status.st_mode)) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (name[0] == '.') attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (!(status.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    data.dwFileAttributes = attributes;

    const struct timespec& created = birthTime ? *birthTime : status.st_ctim;
    data.ftCreationTime = FileTime::FromUnix(created.tv_sec, uint32_t(created.tv_nsec));
    data.ftLastAccessTime = FileTime::FromUnix(status.st_atim.tv_sec, uint32_t(status.st_atim.tv_nsec));
    data.ftLastWriteTime = FileTime::FromUnix(status.st_mtim.tv_sec, uint32_t(status.st_mtim.tv_nsec));
    data.SetSize(S_ISDIR(status.st_mode) ? 0 : uint64_t(status.st_size));
    data.dwReserved0 = 0;
    data.dwReserved1 = 0;
    data.cAlternateFileName[0] = '\0';
    data.stamp = StampOfStatus(status);
    data.mode = uint32_t(status.st_mode);
    data.linkCount = uint32_t(status.st_nlink);
    data.mountRoot = false;
}

}  // namespace twinseek
