#include "platform/FileContentReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

FileContentReader::~FileContentReader() { Close(); }

bool FileContentReader::Open(const char* path, Access access) {
    Close();
    refusedMode = 0;
    // Look before opening: opening a device node can have effects of its own
    // (a tape rewinds, a watchdog arms), so only a regular file is opened.
    struct stat status;
    if (lstat(path, &status) != 0) {
        lastError = errno;
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        lastError = S_ISLNK(status.st_mode) ? ELOOP : EINVAL;
        refusedMode = uint32_t(status.st_mode);
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
        refusal = EINVAL, refusedMode = uint32_t(status.st_mode);
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
    openedStamp = StampOfStatus(status);
    descriptor = opened;
    lastError = 0;
    return true;
}

bool FileContentReader::Adopt(UniqueFd file) {
    Close();
    refusedMode = 0;
    struct stat status;
    if (fstat(file.Get(), &status) != 0) {
        lastError = errno;
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        lastError = EINVAL;
        refusedMode = uint32_t(status.st_mode);
        return false;
    }
    if (status.st_size > kSequentialAdviceSize) (void)posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    openedSize = uint64_t(status.st_size);
    openedStamp = StampOfStatus(status);
    descriptor = file.Release();
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

FileContentReader::MappedView FileContentReader::MapAt(uint64_t offset, size_t length) {
    Unmap();
    if (descriptor < 0) {
        lastError = EBADF;
        return {ReadStatus::Failed, nullptr, 0, false};
    }
    if (offset >= openedSize || length == 0) {
        lastError = 0;
        return {ReadStatus::EndOfFile, nullptr, 0, false};
    }
    const size_t bytes = size_t(std::min<uint64_t>(length, openedSize - offset));
    // Mappings start on a page; the view starts where asked within it.
    static const uint64_t pageSize = uint64_t(sysconf(_SC_PAGESIZE));
    const uint64_t start = offset - offset % pageSize;
    const size_t span = size_t(offset - start) + bytes;
    void* view = mmap(nullptr, span, PROT_READ, MAP_SHARED, descriptor, off_t(start));
    if (view == MAP_FAILED) {
        lastError = errno;
        return {ReadStatus::Failed, nullptr, 0, false};
    }
    static_assert(sizeof(unsigned char) == 1);
    pagesInMemory.resize((span + pageSize - 1) / pageSize);
    bool inMemory = mincore(view, span, pagesInMemory.data()) == 0;
    for (size_t page = 0; inMemory && page < pagesInMemory.size(); ++page) inMemory = (pagesInMemory[page] & 1) != 0;
    mapped = view;
    mappedLength = span;
    lastError = 0;
    return {ReadStatus::Data, static_cast<const uint8_t*>(view) + (offset - start), bytes, inMemory};
}

void FileContentReader::Unmap() {
    if (mapped) {
        munmap(mapped, mappedLength);
        mapped = nullptr;
        mappedLength = 0;
    }
}

void FileContentReader::Close() {
    Unmap();
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
}

}  // namespace twinseek
