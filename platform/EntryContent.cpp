#include "platform/EntryContent.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

namespace {

// Large enough that reading both files costs little more than one pass over them.
constexpr size_t kComparePieceSize = 256 * 1024;

// Fills buffer from offset on; the bytes read, fewer only at the end, or -1.
ssize_t ReadFully(int file, uint8_t* buffer, size_t length, uint64_t offset) {
    size_t done = 0;
    while (done < length) {
        ssize_t got = pread(file, buffer + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += size_t(got);
    }
    return ssize_t(done);
}

}  // namespace

int OpenEntryForReading(int folder, const std::string& name, const FileIdentity& expected, UniqueFd& file) {
    UniqueFd opened(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!opened.IsOpen()) return errno == ELOOP ? EINVAL : errno;
    struct stat status {};
    if (fstat(opened.Get(), &status) != 0) return errno;
    if (!S_ISREG(status.st_mode)) return EINVAL;
    if (FileIdentity{uint64_t(status.st_dev), uint64_t(status.st_ino)} != expected) return ESTALE;
    (void)posix_fadvise(opened.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    file = std::move(opened);
    return 0;
}

ContentComparison CompareContents(int first, int second, uint64_t size, std::atomic<uint64_t>& bytesDone,
                                  const std::atomic<bool>& stop) {
    ContentComparison result;
    auto buffers = std::make_unique<uint8_t[]>(2 * kComparePieceSize);
    uint8_t* firstPiece = buffers.get();
    uint8_t* secondPiece = firstPiece + kComparePieceSize;
    uint64_t done = 0;
    for (;;) {
        if (stop.load(std::memory_order_relaxed)) {
            result.match = ContentMatch::Stopped;
            return result;
        }
        // One byte more than is left, so a file that goes on past size shows.
        const size_t want = size_t(std::min<uint64_t>(kComparePieceSize, size - done + 1));
        const ssize_t firstGot = ReadFully(first, firstPiece, want, done);
        if (firstGot < 0) {
            result.error = errno;
            result.firstFailed = true;
            return result;
        }
        const ssize_t secondGot = ReadFully(second, secondPiece, want, done);
        if (secondGot < 0) {
            result.error = errno;
            return result;
        }
        if (firstGot != secondGot || std::memcmp(firstPiece, secondPiece, size_t(firstGot)) != 0 ||
            done + uint64_t(firstGot) > size) {
            result.match = ContentMatch::Different;
            return result;
        }
        done += uint64_t(firstGot);
        bytesDone.fetch_add(uint64_t(firstGot), std::memory_order_relaxed);
        if (size_t(firstGot) < want) break;
    }
    result.match = done == size ? ContentMatch::Same : ContentMatch::Different;
    return result;
}

}  // namespace twinseek
