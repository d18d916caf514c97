// A fresh directory tree for one test, removed afterwards however deep and
// whatever its permissions; whole-file reads and writes, file status and times,
// bytes to write, and the Trash's data home set for the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek::testing {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// How many entries a folder holds, to see that no temporary file was left in it.
inline long EntriesIn(const std::string& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

// What lstat tells of a path that must be there.
inline struct stat StatusOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status;
}

// Sets the last-write time of the path itself (a link is not followed).
inline void SetWriteTime(const std::string& path, int64_t seconds, long nanos = 0) {
    const timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanos}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// Other bytes written over a file with its times put back, as cp -p or rsync -a leave it.
inline void RewriteKeepingTime(const std::string& path, std::string_view bytes) {
    const struct stat before = StatusOf(path);
    WriteBytes(path, bytes);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// Deterministic pseudo-random bytes: equal seeds make duplicates.
inline std::string RandomContent(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string content(size, '\0');
    for (char& c : content) c = char(random());
    return content;
}

// The bytes with the one at `at` changed in its lowest bit: a near-copy that only
// reading that byte tells apart.
inline std::string WithByteFlipped(std::string bytes, size_t at) {
    bytes[at] = char(bytes[at] ^ 0x01);
    return bytes;
}

class TemporaryTree {
public:
    TemporaryTree() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/twinseek-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot make " << pattern;
            return;
        }
        // Paths are compared with what a walk records, so no link may stay in it.
        char* resolved = realpath(pattern.c_str(), nullptr);
        root = resolved ? resolved : pattern;
        std::free(resolved);
    }
    ~TemporaryTree() {
        int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) RemoveContents(fd);
        rmdir(root.c_str());
    }
    TemporaryTree(const TemporaryTree&) = delete;
    TemporaryTree& operator=(const TemporaryTree&) = delete;

    const std::string& Root() const { return root; }
    std::string Path(const std::string& relative) const { return root + "/" + relative; }

    void Folder(const std::string& relative) const { EXPECT_EQ(mkdir(Path(relative).c_str(), 0755), 0) << relative; }
    void File(const std::string& relative, size_t size = 0) const {
        int fd = open(Path(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << relative;
        EXPECT_EQ(ftruncate(fd, off_t(size)), 0);
        close(fd);
    }
    void Link(const std::string& relative, const std::string& target) const {
        EXPECT_EQ(symlink(target.c_str(), Path(relative).c_str()), 0) << relative;
    }

private:
    // Empties the directory open as fd and closes it; works below PATH_MAX too.
    static void RemoveContents(int fd) {
        fchmod(fd, 0700);
        DIR* directory = fdopendir(fd);
        if (!directory) {
            close(fd);
            return;
        }
        while (const dirent* entry = readdir(directory)) {
            std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            struct stat status {};
            if (fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISDIR(status.st_mode)) {
                fchmodat(fd, name.c_str(), 0700, 0);
                int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (child >= 0) RemoveContents(child);
                unlinkat(fd, name.c_str(), AT_REMOVEDIR);
            } else {
                unlinkat(fd, name.c_str(), 0);
            }
        }
        closedir(directory);
    }

    std::string root;
};

// The Trash and the journal in a folder of the test's own, not the user's.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const std::string& folder) {
        if (const char* old = std::getenv("XDG_DATA_HOME")) oldData = old;
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
    }
    ~ScopedDataHome() {
        if (oldData) setenv("XDG_DATA_HOME", oldData->c_str(), 1);
        else unsetenv("XDG_DATA_HOME");
    }

private:
    std::optional<std::string> oldData;
};

}  // namespace twinseek::testing
