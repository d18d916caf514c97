// Buffered byte stream over a CXFile that the document is stored into or loaded
// from: little-endian words, raw runs and text lines, one direction per archive.
#pragma once

#include "platform/CXFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace twinseek {

class CXArchive {
public:
    enum Mode : uint32_t { Store = 0, Load = 1, NoFlushOnDelete = 2 };
    static constexpr uint32_t kMinimumBufferSize = 128;

    // file is not owned and stays open after Close. A caller's buffer of at least
    // kMinimumBufferSize bytes is used in place; otherwise the archive makes its own.
    CXArchive(CXFile* file, uint32_t mode, uint32_t bufferSize = 4096, void* buffer = nullptr);
    CXArchive(const CXArchive&) = delete;
    CXArchive& operator=(const CXArchive&) = delete;
    // Closes unless NoFlushOnDelete is set; a failure to flush here is swallowed,
    // since a destructor must not throw. Call Close first to see such failures.
    ~CXArchive();

    bool IsStoring() const { return (mode & Load) == 0; }
    // Bytes stored or loaded through this archive so far.
    uint64_t GetByteCount() const { return byteCount; }

    void StoreByte(uint8_t value);
    void StoreWord(uint32_t value);
    void Write(const void* bytes, uint32_t count);
    // Stores the text's bytes alone: no terminator, no length, no line end.
    void WriteString(const char* text);
    void WriteString(std::string_view text);

    // Loads throw CXArchiveException(EndOfFile) when the file ends first,
    // naming the byte where it ends.
    uint8_t LoadByte();
    uint32_t LoadWord();
    // Reads one line of at most |max| bytes. LF, CR LF or a lone CR at the end of
    // the file ends a line; the line end is dropped unless max is negative, when the
    // character that ended the line (the LF, or the byte after a CR) is kept too.
    // buffer must hold |max| + 1 bytes; the text is zero-terminated. Returns buffer,
    // or nullptr (buffer untouched) when the file ended before any byte was read.
    char* ReadString(char* buffer, int max);
    // The same into text; false when the file ended before any byte was read.
    bool ReadString(std::string& text, int max);
    // As ReadString(buffer, max), but returns the bytes put in buffer before its
    // terminating zero, so that a zero byte inside the line shows; -1 when the
    // file ended before any byte was read.
    int64_t ReadStringLength(char* buffer, int max);

    // Storing: writes the buffered bytes. Loading: moves the file position back to
    // the first unconsumed byte and drops the buffered ones.
    void Flush();
    // Flushes and lets go of the file; the archive must not be used afterwards.
    void Close();
    // Lets go of the file without flushing and frees the archive's own buffer.
    void Abort();

private:
    // Moves the unconsumed bytes to the buffer's start and reads until they are
    // needed more, the buffer is full or the file has ended; returns the bytes held.
    uint32_t ReadAhead(uint32_t needed);
    // Makes cursor..limit hold needed more bytes than it does, reading from the file.
    void Refill(uint32_t needed);
    void StoreBytes(const uint8_t* bytes, uint32_t count);
    void LoadBytes(uint8_t* bytes, uint32_t count);
    // Shared line reader: returns the bytes put in buffer (not terminated), or -1
    // when the file ended before any byte was read.
    int64_t ReadLine(char* buffer, uint32_t limitBytes, bool keepLineEnd);

    CXFile* file;
    std::string fileName;
    uint32_t mode;
    bool userBuffer;
    uint32_t bufferSize;
    uint8_t* cursor = nullptr;
    uint8_t* limit = nullptr;
    uint8_t* bufferStart = nullptr;
    std::unique_ptr<uint8_t[]> ownedBuffer;
    uint64_t byteCount = 0;
};

}  // namespace twinseek
