// A catalogued file's path as a scan reached it: the folder the walk began in
// (its path resolved as the system resolves it, as the scan's was), then the
// folders the walk entered, each opened without following a link, so that a
// folder replaced by a link since the scan is never gone through.
#pragma once

#include "platform/DiskStamp.h"
#include "platform/UniqueFd.h"

#include <cstdint>
#include <string>
#include <vector>

namespace twinseek {

struct AnchoredPath {
    std::string anchor;               // absolute path of the folder the walk began in
    std::vector<std::string> steps;   // folders below it, as the walk entered them
    std::string name;                 // the entry itself
};

// What stands where a path leads. Gone only when nothing is there (ENOENT, or
// a plain file where a folder was) below an anchor that is there; an anchor
// that is not there at all is NotOnThisComputer (another machine's scan, or a
// disk not mounted), never Gone; a link where a folder was is LinkOnPath;
// anything else that keeps the path from being followed is Unreachable.
enum class PathState { Present, Gone, NotOnThisComputer, LinkOnPath, Unreachable };

struct FolderOpening {
    UniqueFd folder;  // open (O_PATH) when state is Present
    PathState state = PathState::Unreachable;
    int error = 0;            // the errno when Unreachable
    std::string linkedFolder;  // the folder that is a link, when LinkOnPath
};

// Opens the folder that holds path's entry.
FolderOpening OpenAnchoredFolder(const AnchoredPath& path);

struct EntryLook {
    PathState state = PathState::Unreachable;  // Present, Gone or Unreachable
    int error = 0;
    uint32_t mode = 0;  // st_mode when Present
    DiskStamp stamp;    // when Present
    bool IsRegularFile() const;
};

// What the entry called name in folder is, without following a link.
EntryLook LookAtEntry(int folder, const std::string& name);

}  // namespace twinseek
