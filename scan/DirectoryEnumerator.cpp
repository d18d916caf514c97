#include "scan/DirectoryEnumerator.h"

#include "platform/FullPath.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

namespace twinseek {

bool DirectoryEnumerator::Open(const char* path) {
    Close();
    if (std::strlen(path) >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return false;
    }
    // The listing is opened by the absolute path it is recorded under, so that
    // the two always agree even where ".." would lead elsewhere through a link.
    std::optional<std::string> fullPath = GetFullPathName(path);
    if (!fullPath || fullPath->size() >= PATH_MAX) {
        errno = EINVAL;
        return false;
    }
    if (!search.FindFirst(fullPath->c_str(), findData)) return false;
    rootDir = std::move(*fullPath);
    found = true;
    return true;
}

bool DirectoryEnumerator::Next() {
    if (!search.IsOpen() || !found) return false;
    found = search.FindNext(findData);
    return found;
}

bool DirectoryEnumerator::IsDotsEntry() const {
    if (!HasAttribute(FILE_ATTRIBUTE_DIRECTORY)) return false;
    return std::strcmp(findData.cFileName, ".") == 0 || std::strcmp(findData.cFileName, "..") == 0;
}

bool DirectoryEnumerator::HasAttribute(uint32_t mask) const {
    return found && (findData.dwFileAttributes & mask) != 0;
}

bool DirectoryEnumerator::FullPath(char* buffer, size_t size) const {
    if (!found) return false;
    bool addSeparator = rootDir.empty() || rootDir.back() != separator;
    size_t nameLength = std::strlen(findData.cFileName);
    size_t length = rootDir.size() + (addSeparator ? 1 : 0) + nameLength;
    if (length + 1 > size) return false;
    char* end = std::copy(rootDir.begin(), rootDir.end(), buffer);
    if (addSeparator) *end++ = separator;
    std::memcpy(end, findData.cFileName, nameLength + 1);
    return true;
}

void DirectoryEnumerator::Close() {
    found = false;
    search.Close();
}

}  // namespace twinseek
