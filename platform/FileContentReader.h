// Reads a file's content for digesting, from start to end or at chosen
// offsets. Only regular files are opened: links, FIFOs, devices, sockets and
// directories are refused without ever blocking or disturbing them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/DiskStamp.h"
#include "platform/UniqueFd.h"

#include <vector>

namespace twinseek {

class FileContentReader {
public:
    // Files larger than this are announced to the kernel as read sequentially.
    static constexpr int64_t kSequentialAdviceSize = 1024 * 1024;
    // Files larger than this, opened to be sampled, are announced as read at random.
    static constexpr int64_t kSampledAdviceSize = 16 * 1024;

    // Sequential: the file is read whole, and the kernel may read ahead.
    // Sampled: only pieces are read, and the kernel reads no more than asked.
    enum class Access { Sequential, Sampled };
    enum class ReadStatus { Data, EndOfFile, Failed };
    struct ReadResult {
        ReadStatus status;
        size_t bytes;  // bytes placed in the buffer when status is Data
    };

    FileContentReader() = default;
    FileContentReader(const FileContentReader&) = delete;
    FileContentReader& operator=(const FileContentReader&) = delete;
    ~FileContentReader();

    // Opens path; false when it is not a regular file or cannot be opened
    // (LastError() then tells why). A reader already open is closed first.
    bool Open(const char* path, Access access = Access::Sequential);
    // Takes over file, open for reading elsewhere, to be read sequentially;
    // false (file closed, LastError() set) when it is not a regular file.
    bool Adopt(UniqueFd file);
    // Reads up to length bytes; an interrupted read is retried. End of file and
    // a failed read are told apart.
    ReadResult Read(void* buffer, size_t length);
    // Reads length bytes at offset, fewer only where the file ends, without
    // moving the position Read goes on from.
    ReadResult ReadAt(void* buffer, size_t length, uint64_t offset);
    // Maps length bytes at offset (fewer where the size at open ends) into
    // memory in place of copying them; the view holds until the next MapAt or
    // Close. inMemory tells whether every page of it is in the page cache now:
    // pages that are not load one by one as they are touched, far slower than
    // a read with the kernel reading ahead. A page past a new, shorter end
    // raises SIGBUS (see BusErrorGuard). Failed when the file cannot be mapped;
    // reading it may still work.
    struct MappedView {
        ReadStatus status;
        const uint8_t* data;
        size_t bytes;
        bool inMemory;
    };
    MappedView MapAt(uint64_t offset, size_t length);
    void Close();

    bool IsOpen() const { return descriptor >= 0; }
    // The size of the open file when it was opened.
    uint64_t Size() const { return openedSize; }
    // Which file on disk was opened.
    FileIdentity Identity() const { return openedStamp.identity; }
    // How the file stood when it was opened.
    const DiskStamp& Stamp() const { return openedStamp; }
    // The errno of the last failed Open or Read, 0 after a success.
    int LastError() const { return lastError; }
    // The st_mode of what the last Open refused for not being a regular file
    // (a link, FIFO, socket or device), else 0.
    uint32_t RefusedMode() const { return refusedMode; }

private:
    void Unmap();

    int descriptor = -1;
    void* mapped = nullptr;
    size_t mappedLength = 0;
    std::vector<unsigned char> pagesInMemory;
    uint64_t openedSize = 0;
    DiskStamp openedStamp;
    int lastError = 0;
    uint32_t refusedMode = 0;
};

}  // namespace twinseek
