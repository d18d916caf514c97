// One directory entry as a directory search delivers it: attributes, three file
// times, the 64-bit size in two halves and the names, filled from lstat/statx.
#pragma once

#include "platform/DiskStamp.h"

#include <cstdint>
#include <sys/stat.h>

namespace twinseek {

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x1;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

// Longest name a record can carry, terminating zero included.
constexpr int kMaxNameBuffer = 260;
constexpr int kMaxAlternateNameBuffer = 14;

// A point in time as 100-ns intervals since 1601-01-01 UTC, low half first.
struct FileTime {
    uint32_t dwLowDateTime = 0;
    uint32_t dwHighDateTime = 0;

    uint64_t Value() const { return (uint64_t(dwHighDateTime) << 32) | dwLowDateTime; }
    static FileTime FromValue(uint64_t value) { return {uint32_t(value), uint32_t(value >> 32)}; }
    static FileTime FromUnix(int64_t seconds, uint32_t nanoseconds);
};

// The fixed fields of a directory entry, which a catalogue record keeps while
// holding the names on its own.
struct EntryData {
    uint32_t dwFileAttributes = 0;
    FileTime ftCreationTime;
    FileTime ftLastAccessTime;
    FileTime ftLastWriteTime;
    uint32_t nFileSizeHigh = 0;
    uint32_t nFileSizeLow = 0;
};

struct FindData : EntryData {
    uint32_t dwReserved0 = 0;
    uint32_t dwReserved1 = 0;
    char cFileName[kMaxNameBuffer] = {};
    char cAlternateFileName[kMaxAlternateNameBuffer] = {};

    // What the system told of the entry beyond those fields, for the walk that
    // met it; no record or document keeps them.
    DiskStamp stamp;  // identity, size and times to the nanosecond
    uint32_t mode = 0;       // st_mode: type and permission bits
    uint32_t linkCount = 0;  // names the file has on its file system
    bool mountRoot = false;  // a file system or a bind mount is mounted right here

    bool IsRegularFile() const { return S_ISREG(mode); }

    uint64_t Size() const { return (uint64_t(nFileSizeHigh) << 32) | nFileSizeLow; }
    void SetSize(uint64_t size) {
        nFileSizeHigh = uint32_t(size >> 32);
        nFileSizeLow = uint32_t(size);
    }
    // Copies name into cFileName; false (and nothing copied) when it does not fit.
    bool SetName(const char* name);
};

// Fills everything but the names and mountRoot from a stat record of the entry called name.
// birthTime is the creation time when the file system knows it, else null.
void FillFindData(FindData& data, const struct stat& status, const char* name,
                  const struct timespec* birthTime);

}  // namespace twinseek
