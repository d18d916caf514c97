#include "platform/SyncedLog.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

int SyncedLog::Open(const std::string& path) {
    if (!path.starts_with('/')) return EINVAL;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return errno;
    file.Reset(open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    return file.IsOpen() ? 0 : errno;
}

int SyncedLog::Append(std::string_view line) {
    if (!file.IsOpen()) return EBADF;
    // One write, so that lines of two processes never interleave.
    const ssize_t written = write(file.Get(), line.data(), line.size());
    if (written < 0) return errno;
    if (size_t(written) != line.size()) return EIO;
    return fdatasync(file.Get()) == 0 ? 0 : errno;
}

std::optional<std::string> SyncedLog::ReadAll(const std::string& path) {
    UniqueFd file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.IsOpen()) return errno == ENOENT ? std::optional<std::string>("") : std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return text;
        text.append(buffer, size_t(got));
    }
}

}  // namespace twinseek
