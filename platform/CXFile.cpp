#include "platform/CXFile.h"

#include "platform/FullPath.h"

#include "platform/CXException.h"
#include "platform/PathProbe.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinseek {

static_assert(sizeof(off_t) == 8, "file positions must be 64-bit");

namespace {

[[noreturn]] void ThrowErrno() { throw CXFileException(errno); }

// A FIFO, socket or device holds no document; opening one could wait, or set
// a device going, so it is told apart before any open.
[[noreturn]] void ThrowNotRegular(uint32_t mode) {
    CXFileException error(EINVAL);
    error.message = "not a regular file (" + std::string(EntryKindName(mode)) + ")";
    throw error;
}

// Absolute form of path worked out on the text alone: repeated '/' folded, "."
// and ".." resolved without following links. False when the working folder is unknown.
int OpenFlags(CXFile::Access access, CXFile::Creation creation) {
    int flags = O_CLOEXEC;
    switch (access) {
    case CXFile::Access::Read: flags |= O_RDONLY; break;
    case CXFile::Access::Write: flags |= O_WRONLY; break;
    case CXFile::Access::ReadWrite: flags |= O_RDWR; break;
    }
    switch (creation) {
    case CXFile::Creation::CreateAlways: flags |= O_CREAT | O_TRUNC; break;
    case CXFile::Creation::CreateNew: flags |= O_CREAT | O_EXCL; break;
    case CXFile::Creation::OpenExisting: break;
    case CXFile::Creation::OpenAlways: flags |= O_CREAT; break;
    case CXFile::Creation::TruncateExisting: flags |= O_TRUNC; break;
    }
    return flags;
}

void SetRecordLock(int descriptor, short type, uint64_t position, uint64_t count) {
    if (position > uint64_t(INT64_MAX) || count > uint64_t(INT64_MAX)) throw CXFileException(EINVAL);
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = off_t(position);
    lock.l_len = off_t(count);
    if (fcntl(descriptor, F_SETLK, &lock) == -1) ThrowErrno();
}

}  // namespace

CXFile::~CXFile() {
    if (descriptor != -1) close(descriptor);
}

uint64_t CXFile::GetPosition() const {
    off_t position = lseek(descriptor, 0, SEEK_CUR);
    if (position == -1) ThrowErrno();
    return uint64_t(position);
}

std::string CXFile::GetFileName() const {
    size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

std::string CXFile::GetFilePath() const { return fileName; }

void CXFile::SetFilePath(const std::string& path) { fileName = path; }

void CXFile::Open(const std::string& path, Access access, Creation creation) {
    // Reopening must not leak the descriptor already held.
    if (descriptor != -1) Abort();
    descriptor = -1;
    fileName.clear();
    fileName = GetFullPathName(path).value_or(path);

    // The kernel resolves the path as given (links and all); the lexical form only names it.
    struct stat before {};
    if (stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode) && !S_ISDIR(before.st_mode)) {
        fileName.clear();
        ThrowNotRegular(before.st_mode);
    }
    // O_NONBLOCK keeps a FIFO put there since from hanging the open; it is refused below.
    int opened = open(path.c_str(), OpenFlags(access, creation) | O_NONBLOCK, 0666);
    if (opened == -1) {
        int error = errno;
        fileName.clear();
        throw CXFileException(error);
    }
    int error = 0;
    struct stat status {};
    if (fstat(opened, &status) == -1) error = errno;
    else if (S_ISDIR(status.st_mode)) error = EISDIR;
    else if (!S_ISREG(status.st_mode)) error = EINVAL;
    else if (int flags = fcntl(opened, F_GETFL); flags == -1 || fcntl(opened, F_SETFL, flags & ~O_NONBLOCK) == -1)
        error = errno;
    else if (creation == Creation::OpenAlways && lseek(opened, 0, SEEK_END) == -1)
        error = errno;
    if (error != 0) {
        close(opened);
        fileName.clear();
        if (error == EINVAL && !S_ISREG(status.st_mode)) ThrowNotRegular(status.st_mode);
        throw CXFileException(error);
    }
    descriptor = opened;
}

std::unique_ptr<CXFile> CXFile::Duplicate() const {
    int copy = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (copy == -1) ThrowErrno();
    return std::unique_ptr<CXFile>(new CXFile(copy));
}

uint64_t CXFile::Seek(int64_t offset, SeekFrom from) {
    int whence = from == SeekFrom::Begin ? SEEK_SET : from == SeekFrom::Current ? SEEK_CUR : SEEK_END;
    off_t position = lseek(descriptor, off_t(offset), whence);
    if (position == -1) ThrowErrno();
    return uint64_t(position);
}

void CXFile::SetLength(uint64_t length) {
    if (length > uint64_t(INT64_MAX)) throw CXFileException(EFBIG);
    Seek(int64_t(length), SeekFrom::Begin);
    if (ftruncate(descriptor, off_t(length)) == -1) ThrowErrno();
}

uint64_t CXFile::SeekToEnd() { return Seek(0, SeekFrom::End); }

size_t CXFile::Read(void* buffer, size_t count) {
    if (count == 0) return 0;
    if (count > size_t(SSIZE_MAX)) count = size_t(SSIZE_MAX);
    for (;;) {
        ssize_t got = read(descriptor, buffer, count);
        if (got >= 0) return size_t(got);
        if (errno != EINTR) ThrowErrno();
    }
}

void CXFile::Write(const void* buffer, size_t count) {
    const char* next = static_cast<const char*>(buffer);
    while (count > 0) {
        size_t chunk = count > size_t(SSIZE_MAX) ? size_t(SSIZE_MAX) : count;
        ssize_t written = write(descriptor, next, chunk);
        if (written == -1) {
            if (errno == EINTR) continue;
            ThrowErrno();
        }
        // A regular file that takes nothing has no room left.
        if (written == 0) throw CXFileException(ENOSPC);
        next += written;
        count -= size_t(written);
    }
}

void CXFile::LockRange(uint64_t position, uint64_t count) {
    SetRecordLock(descriptor, F_WRLCK, position, count);
}

void CXFile::UnlockRange(uint64_t position, uint64_t count) {
    SetRecordLock(descriptor, F_UNLCK, position, count);
}

void CXFile::Abort() {
    if (descriptor != -1) close(descriptor);
    descriptor = -1;
    fileName.clear();
}

void CXFile::Flush() {
    if (descriptor == -1) return;
    if (fsync(descriptor) == -1) ThrowErrno();
}

void CXFile::Close() {
    int result = 0;
    int error = 0;
    if (descriptor != -1) {
        result = close(descriptor);
        error = errno;
    }
    descriptor = -1;
    fileName.clear();
    if (result == -1) throw CXFileException(error);
}

}  // namespace twinseek
