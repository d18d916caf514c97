// How files stood on disk when this run last looked at them closely (compared
// them, or met them unchanged in a scan): a check before removal holds a file
// to its stamp. A document stores no stamps, so loaded files have none.
#pragma once

#include "catalog/FileItem.h"
#include "platform/DiskStamp.h"

#include <cstddef>
#include <functional>
#include <unordered_map>

namespace twinseek {

class FileStamps {
public:
    void Set(const FileItem* file, const DiskStamp& stamp) { stamps[file] = stamp; }
    // Sets the stamp of a file that has none yet; one already held stays.
    void SetIfMissing(const FileItem* file, const DiskStamp& stamp) { stamps.try_emplace(file, stamp); }
    void Reserve(size_t count) { stamps.reserve(count); }
    // The stamp of file, or null when this run has none.
    const DiskStamp* Find(const FileItem* file) const;
    void Erase(const FileItem* file) { stamps.erase(file); }
    void EraseIf(const std::function<bool(const FileItem*)>& gone);
    void Clear() { stamps.clear(); }
    size_t Count() const { return stamps.size(); }

private:
    std::unordered_map<const FileItem*, DiskStamp> stamps;
};

}  // namespace twinseek
