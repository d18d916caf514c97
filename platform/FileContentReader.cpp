#include "platform/FileContentReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

FileContentReader::~FileContentReader() { Close(); }

bool FileContentReader::Open(const char* path, Access access) {
    Close();
    // Look before opening: opening a device node can have effects of its own
    // (a tape rewinds, a watchdog arms), so only a regular file is opened.
    struct stat status;
    if (lstat(path, &status) != 0) {
        lastError = errno;
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        lastError = S_ISLNK(status.st_mode) ? ELOOP : EINVAL;
        return false;
    }
    // The entry may have been replaced since: O_NOFOLLOW and O_NONBLOCK keep the
    // open itself from following a link or waiting on a FIFO, and fstat checks
    // what was really opened.
    int opened = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (opened < 0) {
        lastError = errno;
        return false;
    }
    int refusal = 0;
    if (fstat(opened, &status) != 0)
        refusal = errno;
    else if (!S_ISREG(status.st_mode))
        refusal = EINVAL;
    if (refusal != 0) {
        close(opened);
        lastError = refusal;
        return false;
    }
    // Advice only. A file read whole is worth it only when read in many
    // pieces; a sampled one when some of it is to be skipped, which read-ahead
    // would fetch from the disk all the same.
    if (access == Access::Sequential && status.st_size > kSequentialAdviceSize)
        (void)posix_fadvise(opened, 0, 0, POSIX_FADV_SEQUENTIAL);
    else if (access == Access::Sampled && status.st_size > kSampledAdviceSize)
        (void)posix_fadvise(opened, 0, 0, POSIX_FADV_RANDOM);
    openedSize = uint64_t(status.st_size);
    descriptor = opened;
    lastError = 0;
    return true;
}

FileContentReader::ReadResult FileContentReader::Read(void* buffer, size_t length) {
    if (descriptor < 0) {
        lastError = EBADF;
        return {ReadStatus::Failed, 0};
    }
    for (;;) {
        ssize_t count = read(descriptor, buffer, length);
        if (count > 0) {
            lastError = 0;
            return {ReadStatus::Data, size_t(count)};
        }
        if (count == 0) {
            lastError = 0;
            return {ReadStatus::EndOfFile, 0};
        }
        if (errno != EINTR) {
            lastError = errno;
            return {ReadStatus::Failed, 0};
        }
    }
}

FileContentReader::ReadResult FileContentReader::ReadAt(void* buffer, size_t length, uint64_t offset) {
    if (descriptor < 0) {
        lastError = EBADF;
        return {ReadStatus::Failed, 0};
    }
    size_t done = 0;
    while (done < length) {
        ssize_t count = pread(descriptor, static_cast<char*>(buffer) + done, length - done, off_t(offset + done));
        if (count > 0) {
            done += size_t(count);
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            lastError = errno;
            return {ReadStatus::Failed, 0};
        }
    }
    lastError = 0;
    return {done == 0 && length != 0 ? ReadStatus::EndOfFile : ReadStatus::Data, done};
}

void FileContentReader::Close() {
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
}

}  // namespace twinseek
