// Lists the entries of one directory, "." and ".." included, one at a time as
// FindData filled from lstat of the entry: symbolic links are never followed.
#pragma once

#include "platform/FindData.h"

#include <dirent.h>

namespace twinseek {

class DirectorySearch {
public:
    DirectorySearch() = default;
    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;
    ~DirectorySearch() { Close(); }

    // Opens the directory at path and delivers its first entry into data.
    // Fails (with errno set) when path is missing, unreadable, not a directory,
    // or is itself a symbolic link, even one that points at a directory.
    bool FindFirst(const char* path, FindData& data);
    // Delivers the next entry; false at the end or on a read error. Entries that
    // vanish before they can be examined are passed over.
    bool FindNext(FindData& data);
    void Close();
    bool IsOpen() const { return directory != nullptr; }
    // Whether the listing since FindFirst lost something: a read of the
    // directory failed, or an entry was there but could not be examined.
    bool MissedEntries() const { return missedEntries; }

    // Whether the open directory belongs to a kernel pseudo file system
    // (see IsPseudoFileSystem) rather than one that holds user files.
    bool IsOnPseudoFileSystem() const;

private:
    DIR* directory = nullptr;
    bool missedEntries = false;
};

// Whether the directory open as fd is on proc, sysfs, devpts, a cgroup file
// system or another kernel interface that holds no user files, or is the
// device file system mounted at /dev. tmpfs and ramfs count as real: /tmp and
// the like keep user files there.
bool IsPseudoFileSystem(int fd);

}  // namespace twinseek
