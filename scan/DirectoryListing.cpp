#include "scan/DirectoryListing.h"

#include "platform/DirectorySearch.h"

namespace twinseek {

bool FileSystemListing::List(const std::string& path, const Visitor& visit) const {
    DirectorySearch search;
    FindData data;
    if (!search.FindFirst(path.c_str(), data)) return false;
    do {
        std::string_view name = data.cFileName;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && (name == "." || name == "..")) continue;
        if (!visit({name, isFolder, (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0})) break;
    } while (search.FindNext(data));
    return true;
}

}  // namespace twinseek
