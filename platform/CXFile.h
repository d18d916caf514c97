// One open operating-system file that the document is written and read through:
// positions and lengths are 64-bit, every failure throws CXFileException(errno).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace twinseek {

class CXFile {
public:
    enum class Access { Read, Write, ReadWrite };
    enum class Creation { CreateAlways, CreateNew, OpenExisting, OpenAlways, TruncateExisting };
    enum class SeekFrom { Begin, Current, End };

    CXFile() = default;
    CXFile(const CXFile&) = delete;
    CXFile& operator=(const CXFile&) = delete;

    // Closes the file if open; never throws.
    virtual ~CXFile();

    virtual uint64_t GetPosition() const;
    // The part of the full path after its last '/'.
    virtual std::string GetFileName() const;
    virtual std::string GetFilePath() const;
    virtual void SetFilePath(const std::string& path);

    // Opens path as a regular file (a directory, FIFO or device is refused).
    // With OpenAlways the position starts at the end of the existing contents.
    virtual void Open(const std::string& path, Access access, Creation creation);
    // A second descriptor on the same open file, sharing its position; no name.
    virtual std::unique_ptr<CXFile> Duplicate() const;

    virtual uint64_t Seek(int64_t offset, SeekFrom from);
    virtual void SetLength(uint64_t length);
    virtual uint64_t SeekToEnd();

    // One read: returns the bytes read, 0 at the end of the file.
    virtual size_t Read(void* buffer, size_t count);
    // Writes all count bytes or throws.
    virtual void Write(const void* buffer, size_t count);

    // Write record locks (fcntl F_SETLK); a count of 0 reaches past the end.
    virtual void LockRange(uint64_t position, uint64_t count);
    virtual void UnlockRange(uint64_t position, uint64_t count);

    // Closes without reporting failure.
    virtual void Abort();
    // Pushes written data to the device (fsync); does nothing while closed.
    virtual void Flush();
    // Closes; the file is closed afterwards even when the close reports failure.
    virtual void Close();

    bool IsOpen() const { return descriptor != -1; }

private:
    explicit CXFile(int descriptor) : descriptor(descriptor) {}

    int descriptor = -1;
    std::string fileName;
};

}  // namespace twinseek
