// Lists the names in one directory and whether each is a directory, from the
// directory alone: an entry is examined only when the file system leaves its
// type out, so a large folder is read without touching each file's inode.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace twinseek {

// Visits every entry of the directory at path but "." and "..", in the order the
// file system gives them, until visit returns false. A link is never a
// directory here, and a path that is itself a link is not listed. False when
// the directory cannot be opened.
bool ListDirectoryNames(const std::string& path,
                        const std::function<bool(std::string_view name, bool isDirectory)>& visit);

}  // namespace twinseek
