#include "platform/FileOperations.h"

#include "platform/CXException.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

namespace {

// The folder part of path including its final '/', or empty for a bare name.
std::string FolderPrefix(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string RandomSuffix(std::mt19937_64& generator) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string suffix(8, ' ');
    for (char& letter : suffix) letter = kLetters[pick(generator)];
    return suffix;
}

}  // namespace

std::string OpenTemporaryBeside(CXFile& file, const std::string& target) {
    // A short fixed-length name, so that even a target whose name is at the
    // length limit gets a temporary beside it.
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::string folder = FolderPrefix(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = folder + ".twinseek-" + RandomSuffix(generator) + ".tmp";
        try {
            file.Open(candidate, CXFile::Access::ReadWrite, CXFile::Creation::CreateNew);
            return candidate;
        } catch (const CXFileException& error) {
            if (error.GetCause() != EEXIST) throw;
        }
    }
    throw CXFileException(EEXIST);
}

void ReplaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) throw CXFileException(errno);
    // Make the rename itself durable; a folder that cannot be synced still holds it.
    std::string folder = FolderPrefix(to);
    int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor != -1) {
        fsync(descriptor);
        close(descriptor);
    }
}

std::string ResolveLinkChain(const std::string& path) {
    // As many links as the system itself follows in one path.
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat status {};
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
        std::string target(PATH_MAX, '\0');
        ssize_t length = readlink(current.c_str(), target.data(), target.size());
        if (length < 0) throw CXFileException(errno);
        if (size_t(length) >= target.size()) throw CXFileException(ENAMETOOLONG);
        target.resize(size_t(length));
        current = target.starts_with('/') ? target : FolderPrefix(current) + target;
    }
    throw CXFileException(ELOOP);
}

bool RemoveFile(const std::string& path) noexcept { return unlink(path.c_str()) == 0; }

int UnlinkFile(const std::string& path) noexcept { return unlink(path.c_str()) == 0 ? 0 : errno; }

int RenameWithoutReplacing(const std::string& from, const std::string& to) noexcept {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: a second name first, which fails if to is taken.
    if (link(from.c_str(), to.c_str()) != 0) return errno;
    return unlink(from.c_str()) == 0 ? 0 : errno;
}

bool CopyPermissions(const std::string& from, const std::string& to) noexcept {
    struct stat status {};
    if (stat(from.c_str(), &status) != 0) return false;
    return chmod(to.c_str(), status.st_mode & 07777) == 0;
}

}  // namespace twinseek
