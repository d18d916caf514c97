// The mounted file systems as the kernel lists them in /proc/self/mountinfo:
// where each is mounted, its type and its source.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace twinseek {

struct MountEntry {
    std::string mountPoint;      // absolute, as seen by this process
    std::string fileSystemType;  // "ext4", "proc", "fuse.sshfs"...
    std::string source;          // "/dev/sda1", "server:/export", "proc"...
};

// The entries of a mountinfo text in the order given, the octal escapes of the
// kernel (\040 for a space, \011, \012, \134) decoded. Malformed lines are passed over.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// This process's mount table; empty when /proc/self/mountinfo cannot be read.
std::vector<MountEntry> ReadMountTable();

}  // namespace twinseek
