#include "platform/AnchoredPath.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace twinseek {

namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Why a folder could not be opened, told from what stands there now: a link
// (O_NOFOLLOW with O_DIRECTORY answers ENOTDIR or ELOOP for one), a plain file
// or nothing.
PathState ClassifyFailedFolder(int error, int parent, const char* name) {
    if (error == ENOENT) return PathState::Gone;
    if (error != ENOTDIR && error != ELOOP) return PathState::Unreachable;
    struct stat status {};
    if (fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PathState::Gone : PathState::Unreachable;
    if (S_ISLNK(status.st_mode)) return PathState::LinkOnPath;
    return S_ISDIR(status.st_mode) ? PathState::Unreachable : PathState::Gone;
}

}  // namespace

FolderOpening OpenAnchoredFolder(const AnchoredPath& path) {
    FolderOpening opening;
    if (!path.anchor.starts_with('/')) {
        opening.error = EINVAL;
        return opening;
    }
    // The anchor's own folders are followed as the scan followed them; the
    // anchor itself was listed without following a link, and so is it here.
    opening.folder.Reset(open(path.anchor.c_str(), kFolderFlags));
    if (!opening.folder.IsOpen()) {
        opening.error = errno;
        opening.state = ClassifyFailedFolder(opening.error, AT_FDCWD, path.anchor.c_str());
        // No folder where the scan began: the catalogue speaks of a place this
        // computer does not have, which says nothing of whether the file is gone.
        if (opening.state == PathState::Gone) opening.state = PathState::NotOnThisComputer;
        if (opening.state == PathState::LinkOnPath) opening.linkedFolder = path.anchor;
        return opening;
    }
    std::string reached = path.anchor;
    for (const std::string& step : path.steps) {
        if (!reached.ends_with('/')) reached += '/';
        reached += step;
        UniqueFd next(openat(opening.folder.Get(), step.c_str(), kFolderFlags));
        if (!next.IsOpen()) {
            opening.error = errno;
            opening.state = ClassifyFailedFolder(opening.error, opening.folder.Get(), step.c_str());
            if (opening.state == PathState::LinkOnPath) opening.linkedFolder = reached;
            opening.folder.Reset();
            return opening;
        }
        opening.folder = std::move(next);
    }
    opening.state = PathState::Present;
    opening.error = 0;
    return opening;
}

bool EntryLook::IsRegularFile() const { return state == PathState::Present && S_ISREG(mode); }

EntryLook LookAtEntry(int folder, const std::string& name) {
    EntryLook look;
    struct stat status {};
    if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        look.error = errno;
        look.state = look.error == ENOENT ? PathState::Gone : PathState::Unreachable;
        return look;
    }
    look.state = PathState::Present;
    look.mode = uint32_t(status.st_mode);
    look.stamp = StampOfStatus(status);
    return look;
}

}  // namespace twinseek
