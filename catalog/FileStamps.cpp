#include "catalog/FileStamps.h"

namespace twinseek {

const DiskStamp* FileStamps::Find(const FileItem* file) const {
    auto found = stamps.find(file);
    return found == stamps.end() ? nullptr : &found->second;
}

void FileStamps::EraseIf(const std::function<bool(const FileItem*)>& gone) {
    std::erase_if(stamps, [&](const auto& entry) { return gone(entry.first); });
}

}  // namespace twinseek
