// One open directory of the scan walk: its current entry, the directory's full
// path, and the full path of the entry built from the two.
#pragma once

#include "platform/DirectorySearch.h"
#include "platform/FindData.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace twinseek {

class DirectoryEnumerator {
public:
    DirectoryEnumerator() = default;
    DirectoryEnumerator(const DirectoryEnumerator&) = delete;
    DirectoryEnumerator& operator=(const DirectoryEnumerator&) = delete;

    // Starts listing the directory at path (a directory, not a search pattern:
    // the system lists a directory's entries without one). Closes any listing
    // still open first. Fails when path has PATH_MAX characters or more, cannot
    // be made absolute, or cannot be opened as a directory (a symbolic link is
    // not). On success the first entry is current.
    bool Open(const char* path);
    // Moves to the next entry; fails without touching the system when nothing
    // is open or the listing has already ended.
    bool Next();
    // The current entry is the directory itself (".") or its parent ("..").
    bool IsDotsEntry() const;
    bool HasAttribute(uint32_t mask) const;
    // Writes the current entry's full path; fails, leaving buffer unchanged,
    // when there is no entry or the path and its zero do not fit in size bytes.
    bool FullPath(char* buffer, size_t size) const;
    void Close();

    bool IsOnPseudoFileSystem() const { return search.IsOnPseudoFileSystem(); }
    // The listing lost entries it could not read or examine.
    bool MissedEntries() const { return search.MissedEntries(); }
    bool Found() const { return found; }
    // The current entry; meaningful while Found().
    const FindData& Entry() const { return findData; }
    // The directory being listed as a full path, without a trailing '/'
    // unless it is "/" itself.
    const std::string& RootDir() const { return rootDir; }

private:
    FindData findData;
    std::string rootDir;
    char separator = '/';
    DirectorySearch search;
    bool found = false;
};

}  // namespace twinseek
