// Which file on disk an entry is: its device and inode. Paths with one
// identity are one file (hard links, a folder seen again through a bind mount).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace twinseek {

struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;

    bool operator==(const FileIdentity&) const = default;
};

struct FileIdentityHash {
    size_t operator()(const FileIdentity& identity) const noexcept {
        return size_t(identity.inode * 0x9E3779B97F4A7C15ull ^ identity.device);
    }
};

// The identity of what stands at path itself (a link is not followed); none
// when it cannot be examined.
std::optional<FileIdentity> IdentityOfPath(const char* path);

}  // namespace twinseek
