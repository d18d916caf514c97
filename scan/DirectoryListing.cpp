#include "scan/DirectoryListing.h"

#include "platform/DirectoryNames.h"

namespace twinseek {

bool FileSystemListing::List(const std::string& path, const Visitor& visit) const {
    return ListDirectoryNames(path, [&](std::string_view name, bool isDirectory) {
        return visit({name, isDirectory, name.starts_with('.')});
    });
}

}  // namespace twinseek
