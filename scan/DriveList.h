// The top-level items of the folder tree: "/", the user's home folder, the
// removable and network volumes mounted for users, then the other volumes.
#pragma once

#include "platform/MountTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace twinseek {

// Where the folder tree takes its top-level items from; tests give their own list.
class DriveSource {
public:
    virtual ~DriveSource() = default;
    virtual std::vector<std::string> Drives() const = 0;
};

// This machine's drive list, read afresh from the mount table on each call;
// mount points this user cannot list are left out, and so are those that are
// not directories (single files bound into place, as containers do with /etc/hosts).
class MountedDrives : public DriveSource {
public:
    std::vector<std::string> Drives() const override;
};

// Whether a mount is a volume of user files, worth its own top-level item. It is
// not when its type is a kernel interface (proc, sysfs, cgroup, debugfs...), a
// memory file system (tmpfs, devtmpfs, ramfs), a union of other trees (overlay,
// aufs), a read-only package image (squashfs of snaps and live media) or a FUSE
// helper without storage (portal, gvfsd-fuse, lxcfs), nor when it is mounted
// at "/" or inside /proc, /sys or /dev, where only system plumbing is mounted.
bool IsUserVolume(const MountEntry& mount);

// Whether a volume is mounted where desktops mount removable and network
// volumes for their users: under /media, /run/media or /mnt.
bool IsInUserMountArea(std::string_view mountPoint);

// "/", then home unless it is empty or "/", then the mount points of the user
// volumes among mounts, each path once: first those in a user mount area, then
// the others, each group in path order.
std::vector<std::string> MakeDriveList(const std::string& home, const std::vector<MountEntry>& mounts);

// Path order: byte order of the names, piece by piece, so a folder comes
// right before everything inside it ("/a", "/a/b", "/a b").
bool PathLess(std::string_view left, std::string_view right);

}  // namespace twinseek
