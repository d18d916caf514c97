// Reads a file's content from start to end for digesting. Only regular files
// are opened: links, FIFOs, devices, sockets and directories are refused
// without ever blocking or disturbing them.
#pragma once

#include <cstddef>

namespace twinseek {

class FileContentReader {
public:
    // The block size the compare worker reads with.
    static constexpr size_t kBlockSize = 16384;

    enum class ReadStatus { Data, EndOfFile, Failed };
    struct ReadResult {
        ReadStatus status;
        size_t bytes;  // bytes placed in the buffer when status is Data
    };

    FileContentReader() = default;
    FileContentReader(const FileContentReader&) = delete;
    FileContentReader& operator=(const FileContentReader&) = delete;
    ~FileContentReader();

    // Opens path for sequential reading; false when it is not a regular file or
    // cannot be opened (LastError() then tells why). A reader already open is
    // closed first.
    bool Open(const char* path);
    // Reads up to length bytes; an interrupted read is retried. End of file and
    // a failed read are told apart.
    ReadResult Read(void* buffer, size_t length);
    void Close();

    bool IsOpen() const { return descriptor >= 0; }
    // The errno of the last failed Open or Read, 0 after a success.
    int LastError() const { return lastError; }

private:
    int descriptor = -1;
    int lastError = 0;
};

}  // namespace twinseek
