#include "document/CXArchive.h"

#include "platform/CXException.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace twinseek {

CXArchive::CXArchive(CXFile* file, uint32_t mode, uint32_t bufferSize, void* buffer)
    : file(file),
      fileName(file->GetFilePath()),
      mode(mode),
      userBuffer(buffer != nullptr),
      bufferSize(bufferSize),
      bufferStart(static_cast<uint8_t*>(buffer)) {
    if (this->bufferSize < kMinimumBufferSize) {
        this->bufferSize = kMinimumBufferSize;
        bufferStart = nullptr;
    }
    if (bufferStart == nullptr) {
        ownedBuffer = std::make_unique<uint8_t[]>(this->bufferSize);
        bufferStart = ownedBuffer.get();
        userBuffer = false;
    }
    limit = bufferStart + this->bufferSize;
    // A loading archive starts empty so that the first load reads.
    cursor = IsStoring() ? bufferStart : limit;
}

CXArchive::~CXArchive() {
    if (file != nullptr && (mode & NoFlushOnDelete) == 0) {
        try {
            Close();
        } catch (...) {
            // Nothing can report it from here; Abort below still releases everything.
        }
    }
    Abort();
}

void CXArchive::StoreBytes(const uint8_t* bytes, uint32_t count) {
    if (uint32_t(limit - cursor) < count) Flush();
    std::memcpy(cursor, bytes, count);
    cursor += count;
    byteCount += count;
}

void CXArchive::StoreByte(uint8_t value) { StoreBytes(&value, 1); }

void CXArchive::StoreWord(uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    StoreBytes(bytes, 4);
}

void CXArchive::Write(const void* bytes, uint32_t count) {
    if (count == 0) return;
    const uint8_t* next = static_cast<const uint8_t*>(bytes);
    byteCount += count;
    uint32_t fitting = std::min(count, uint32_t(limit - cursor));
    std::memcpy(cursor, next, fitting);
    cursor += fitting;
    next += fitting;
    count -= fitting;
    if (count == 0) return;

    // Whole buffers' worth go straight to the file; the tail waits in the buffer.
    Flush();
    uint32_t direct = count - count % bufferSize;
    if (direct > 0) file->Write(next, direct);
    next += direct;
    count -= direct;
    std::memcpy(cursor, next, count);
    cursor += count;
}

void CXArchive::WriteString(const char* text) { WriteString(std::string_view(text)); }

void CXArchive::WriteString(std::string_view text) {
    // A view longer than 4 GiB goes in slices that fit Write's count.
    while (text.size() > UINT32_MAX) {
        Write(text.data(), UINT32_MAX);
        text.remove_prefix(UINT32_MAX);
    }
    Write(text.data(), uint32_t(text.size()));
}

uint32_t CXArchive::ReadAhead(uint32_t needed) {
    uint32_t left = uint32_t(limit - cursor);
    uint32_t total = needed + left;
    if (cursor > bufferStart) std::memmove(bufferStart, cursor, left);
    uint32_t held = left;
    // Read until enough bytes are held, the buffer is full or the file has ended;
    // a short read alone does not mean the end.
    size_t got = 0;
    do {
        got = file->Read(bufferStart + held, bufferSize - held);
        held += uint32_t(got);
    } while (got > 0 && held < bufferSize && held < total);
    cursor = bufferStart;
    limit = bufferStart + held;
    return held;
}

void CXArchive::Refill(uint32_t needed) {
    uint32_t total = needed + uint32_t(limit - cursor);
    const uint32_t held = ReadAhead(needed);
    if (held < total)
        throw CXArchiveException(CXArchiveException::EndOfFile, file->GetFileName(),
                                 "the document ends at byte " + std::to_string(byteCount + held) +
                                     ", before its last record");
}

void CXArchive::LoadBytes(uint8_t* bytes, uint32_t count) {
    uint32_t available = uint32_t(limit - cursor);
    if (available < count) Refill(count - available);
    std::memcpy(bytes, cursor, count);
    cursor += count;
    byteCount += count;
}

uint8_t CXArchive::LoadByte() {
    uint8_t value = 0;
    LoadBytes(&value, 1);
    return value;
}

uint32_t CXArchive::LoadWord() {
    uint8_t bytes[4] = {};
    LoadBytes(bytes, 4);
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

int64_t CXArchive::ReadLine(char* buffer, uint32_t limitBytes, bool keepLineEnd) {
    uint32_t stored = 0;
    while (stored < limitBytes) {
        // An empty buffer reads on; the end of the file ends the line, or
        // leaves nothing to read at all.
        if (cursor == limit && ReadAhead(1) == 0) return stored == 0 ? -1 : int64_t(stored);
        // The buffered bytes up to the limit, scanned for the first line end.
        uint32_t span = std::min(uint32_t(limit - cursor), limitBytes - stored);
        const uint8_t* end = static_cast<const uint8_t*>(std::memchr(cursor, '\n', span));
        uint32_t text = end ? uint32_t(end - cursor) : span;
        if (const void* carriage = std::memchr(cursor, '\r', text))
            text = uint32_t(static_cast<const uint8_t*>(carriage) - cursor);
        std::memcpy(buffer + stored, cursor, text);
        stored += text;
        cursor += text;
        byteCount += text;
        if (text == span) continue;

        char value = char(*cursor++);
        ++byteCount;
        // CR LF ends a line as one, and so does CR with any other byte; a CR
        // that is the last byte ends it alone.
        if (value == '\r' && (cursor != limit || ReadAhead(1) != 0)) {
            value = char(*cursor++);
            ++byteCount;
        }
        if (keepLineEnd) buffer[stored++] = value;
        break;
    }
    return stored;
}

char* CXArchive::ReadString(char* buffer, int max) { return ReadStringLength(buffer, max) < 0 ? nullptr : buffer; }

int64_t CXArchive::ReadStringLength(char* buffer, int max) {
    uint32_t limitBytes = max < 0 ? 0u - uint32_t(max) : uint32_t(max);
    int64_t stored = ReadLine(buffer, limitBytes, max < 0);
    if (stored >= 0) buffer[stored] = '\0';
    return stored;
}

bool CXArchive::ReadString(std::string& text, int max) {
    uint32_t limitBytes = max < 0 ? 0u - uint32_t(max) : uint32_t(max);
    std::string line(limitBytes, '\0');
    int64_t stored = ReadLine(line.data(), limitBytes, max < 0);
    if (stored < 0) return false;
    line.resize(size_t(stored));
    text = std::move(line);
    return true;
}

void CXArchive::Flush() {
    if (IsStoring()) {
        if (cursor != bufferStart) file->Write(bufferStart, size_t(cursor - bufferStart));
        cursor = bufferStart;
    } else {
        if (cursor != limit) file->Seek(-int64_t(limit - cursor), CXFile::SeekFrom::Current);
        cursor = limit;
    }
}

void CXArchive::Close() {
    Flush();
    file = nullptr;
}

void CXArchive::Abort() {
    file = nullptr;
    ownedBuffer.reset();
    bufferStart = cursor = limit = nullptr;
}

}  // namespace twinseek
