#include "scan/DriveList.h"

#include "platform/HomeFolder.h"
#include "platform/PathProbe.h"

#include <algorithm>
#include <array>

namespace twinseek {

namespace {

constexpr std::array<std::string_view, 33> kNonVolumeTypes = {
    "aufs",       "autofs",      "binfmt_misc",   "bpf",       "cgroup",    "cgroup2",
    "configfs",   "debugfs",     "devpts",        "devtmpfs",  "efivarfs",  "fuse.gvfsd-fuse",
    "fuse.lxcfs", "fuse.portal", "fuse.snapfuse", "fusectl",   "hugetlbfs", "mqueue",
    "nfsd",       "nsfs",        "overlay",       "proc",      "pstore",    "ramfs",
    "rootfs",     "rpc_pipefs",  "securityfs",    "selinuxfs", "smackfs",   "squashfs",
    "sysfs",      "tmpfs",       "tracefs",
};

constexpr std::array<std::string_view, 3> kSystemAreas = {"/proc", "/sys", "/dev"};
constexpr std::array<std::string_view, 3> kUserMountAreas = {"/media", "/run/media", "/mnt"};

bool IsInside(std::string_view path, std::string_view folder) {
    return path == folder || (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

}  // namespace

bool IsUserVolume(const MountEntry& mount) {
    if (mount.mountPoint.empty() || mount.mountPoint == "/") return false;
    if (std::find(kNonVolumeTypes.begin(), kNonVolumeTypes.end(), mount.fileSystemType) != kNonVolumeTypes.end())
        return false;
    return std::none_of(kSystemAreas.begin(), kSystemAreas.end(),
                        [&](std::string_view area) { return IsInside(mount.mountPoint, area); });
}

bool IsInUserMountArea(std::string_view mountPoint) {
    return std::any_of(kUserMountAreas.begin(), kUserMountAreas.end(),
                       [&](std::string_view area) { return IsInside(mountPoint, area); });
}

bool PathLess(std::string_view left, std::string_view right) {
    // The separator sorts before every other byte.
    auto key = [](char c) { return c == '/' ? 0 : int(static_cast<unsigned char>(c)) + 1; };
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                        [&](char a, char b) { return key(a) < key(b); });
}

std::vector<std::string> MakeDriveList(const std::string& home, const std::vector<MountEntry>& mounts) {
    std::vector<std::string> volumes;
    for (const MountEntry& mount : mounts)
        if (IsUserVolume(mount) && mount.mountPoint != home) volumes.push_back(mount.mountPoint);
    // What users plug in or mount from the network first, then the system's own volumes.
    std::sort(volumes.begin(), volumes.end(), [](const std::string& left, const std::string& right) {
        const bool leftUsers = IsInUserMountArea(left);
        const bool rightUsers = IsInUserMountArea(right);
        if (leftUsers != rightUsers) return leftUsers;
        return PathLess(left, right);
    });
    volumes.erase(std::unique(volumes.begin(), volumes.end()), volumes.end());

    std::vector<std::string> drives{"/"};
    if (!home.empty() && home != "/") drives.push_back(home);
    drives.insert(drives.end(), volumes.begin(), volumes.end());
    return drives;
}

std::vector<std::string> MountedDrives::Drives() const {
    std::vector<std::string> drives = MakeDriveList(HomeFolder(), ReadMountTable());
    std::erase_if(drives, [](const std::string& path) { return path != "/" && DirectoryAccessError(path) != 0; });
    return drives;
}

}  // namespace twinseek
