#include "platform/FileReplacement.h"

#include "platform/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinseek {

namespace {

constexpr char kCrossDevice[] = "A hard link cannot reach a copy on another file system";
constexpr char kNoClone[] = "This file system cannot clone files";

// Whether the entry is still the file called expected: 0, ESTALE or the errno.
int CheckIdentity(const FolderEntry& entry) {
    struct stat status {};
    if (fstatat(entry.folder, entry.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    return FileIdentity{uint64_t(status.st_dev), uint64_t(status.st_ino)} == entry.identity ? 0 : ESTALE;
}

// A name for a new entry beside the file, which no one else is likely to pick.
std::string TemporaryName() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".twinseek-";
    for (int i = 0; i < 10; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name + ".tmp";
}

// Makes an entry under a fresh temporary name in folder with make(name),
// which returns 0 or the errno (EEXIST tries another name).
template <typename Make>
int MakeTemporary(Make make, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName();
        const int error = make(name);
        if (error != EEXIST) return error;
    }
    return EEXIST;
}

// Renames temporary over the file once it is checked to be the file still;
// on any failure the temporary entry goes.
ReplacementOutcome RenameOver(const FolderEntry& file, const std::string& temporary) {
    int error = CheckIdentity(file);
    if (error == 0 && renameat(file.folder, temporary.c_str(), file.folder, file.name.c_str()) != 0) error = errno;
    if (error != 0) unlinkat(file.folder, temporary.c_str(), 0);
    return {error, error == ESTALE ? "Modified since it was compared" : ""};
}

int64_t Nanos(const struct timespec& time) { return int64_t(time.tv_sec) * 1000000000 + time.tv_nsec; }
struct timespec Timespec(int64_t nanos) {
    int64_t seconds = nanos / 1000000000, rest = nanos % 1000000000;
    if (rest < 0) rest += 1000000000, --seconds;
    return {seconds, long(rest)};
}

// Writes every byte of source into target with plain reads and writes, so
// that no block is shared with source (copy_file_range may clone).
int CopyBytes(int source, int target) {
    std::vector<char> buffer(1 << 20);
    for (off_t offset = 0;;) {
        const ssize_t got = pread(source, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) return 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(target, buffer.data() + done, size_t(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return put < 0 ? errno : EIO;
            done += put;
        }
        offset += got;
    }
}

// Gives an open file the metadata; the owner only where the system allows it.
int ApplyMetadata(int fd, const FileMetadata& metadata) {
    if (fchown(fd, metadata.owner, metadata.group) != 0 && errno != EPERM) return errno;
    if (fchmod(fd, metadata.mode & 07777) != 0) return errno;
    const struct timespec times[2] = {Timespec(metadata.accessNanos), Timespec(metadata.writeNanos)};
    if (futimens(fd, times) != 0) return errno;
    return fsync(fd) == 0 ? 0 : errno;
}

// Opens entry for reading, held to its identity.
int OpenChecked(const FolderEntry& entry, UniqueFd& file) {
    file.Reset(openat(entry.folder, entry.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.IsOpen()) return errno;
    struct stat status {};
    if (fstat(file.Get(), &status) != 0) return errno;
    if (!S_ISREG(status.st_mode)) return EINVAL;
    return FileIdentity{uint64_t(status.st_dev), uint64_t(status.st_ino)} == entry.identity ? 0 : ESTALE;
}

// Makes a temporary file with the bytes of source (cloned when clone), then
// gives it metadata.
ReplacementOutcome WriteTemporary(const FolderEntry& file, int source, bool clone, const FileMetadata& metadata,
                                  std::string& temporary) {
    UniqueFd made;
    int error = MakeTemporary(
        [&](const std::string& name) {
            made.Reset(openat(file.folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            return made.IsOpen() ? 0 : errno;
        },
        temporary);
    if (error != 0) return {error, {}};
    std::string reason;
    if (clone) {
        if (ioctl(made.Get(), FICLONE, source) != 0) {
            error = errno;
            if (error == EOPNOTSUPP || error == ENOTTY || error == EINVAL || error == EXDEV) reason = kNoClone;
        }
    } else {
        error = CopyBytes(source, made.Get());
    }
    if (error == 0) error = ApplyMetadata(made.Get(), metadata);
    if (error != 0) unlinkat(file.folder, temporary.c_str(), 0);
    return {error, reason};
}

}  // namespace

ReplacementOutcome ReadMetadata(const FolderEntry& entry, FileMetadata& metadata) {
    struct stat status {};
    if (fstatat(entry.folder, entry.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return {errno, {}};
    metadata = {uint32_t(status.st_mode), uint32_t(status.st_uid), uint32_t(status.st_gid), Nanos(status.st_atim),
                Nanos(status.st_mtim)};
    return {};
}

ReplacementOutcome ReplaceWithHardLink(const FolderEntry& file, const FolderEntry& kept) {
    std::string temporary;
    int error = MakeTemporary(
        [&](const std::string& name) {
            return linkat(kept.folder, kept.name.c_str(), file.folder, name.c_str(), 0) == 0 ? 0 : errno;
        },
        temporary);
    if (error == EXDEV) return {error, kCrossDevice};
    if (error != 0) return {error, {}};
    // The new name must lead to the copy that was checked, not to what took its name since.
    const FolderEntry made{file.folder, temporary, kept.identity};
    if (int check = CheckIdentity(made); check != 0) {
        unlinkat(file.folder, temporary.c_str(), 0);
        return {check, check == ESTALE ? "The copy that stays changed while it was linked" : ""};
    }
    return RenameOver(file, temporary);
}

ReplacementOutcome ReplaceWithClone(const FolderEntry& file, const FolderEntry& kept) {
    UniqueFd source;
    if (int error = OpenChecked(kept, source))
        return {error, error == ESTALE ? "The copy that stays changed while it was cloned" : ""};
    FileMetadata metadata;
    if (ReplacementOutcome read = ReadMetadata(file, metadata); read.error != 0) return read;
    std::string temporary;
    if (ReplacementOutcome written = WriteTemporary(file, source.Get(), true, metadata, temporary); written.error != 0)
        return written;
    return RenameOver(file, temporary);
}

ReplacementOutcome MakeSeparateCopy(const FolderEntry& file, const FileMetadata& metadata) {
    UniqueFd source;
    if (int error = OpenChecked(file, source)) return {error, {}};
    std::string temporary;
    if (ReplacementOutcome written = WriteTemporary(file, source.Get(), false, metadata, temporary); written.error != 0)
        return written;
    return RenameOver(file, temporary);
}

}  // namespace twinseek
