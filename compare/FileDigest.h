// Reading a file's content and digesting it piece by piece, as the compare
// engine's workers do, and the SHA-1 of one file named by its path.
#pragma once

#include "compare/Sha1Digest.h"
#include "platform/FileContentReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace twinseek {

// Files are read in pieces of this size, each digested before the next read:
// a piece this small is still in the processor's cache when it is digested,
// where larger ones, or pieces handed to another thread, cost a copy through
// memory that is a third of the digest's own time.
constexpr size_t kReadPieceSize = 64 * 1024;

enum class ContentEnd { Complete, Failed, Stopped };

// Files of at least this size whose pages are in the page cache already are
// digested in place from views mapped into memory, which saves the copy that
// reading costs (an eighth of the digest's time). Smaller files, and pages
// still on the disk, are read: setting up a mapping costs more than copying a
// small file, and pages faulted in one by one come slower than read-ahead.
constexpr uint64_t kMappedDigestMinSize = 1024 * 1024;
constexpr size_t kMappedViewSize = 16 * 1024 * 1024;

// Digests bytes of a mapped view; false when the file was cut short under it.
bool DigestMappedPiece(Sha1Digest& digest, const uint8_t* data, size_t bytes);

// Reads the file open in reader to its end and digests every piece. The size
// at open marks the end, so the last piece needs no further read to find it; a
// file that ends sooner has changed and fails, one that grew is digested to
// that size. A size of 0 says nothing, as files of pseudo file systems have
// content all the same: such a file is read to its end. Before each piece
// mayGoOn() is asked, and Stopped returned when it says no; after each piece,
// digested(bytes) is told. buffer holds kReadPieceSize bytes.
template <typename MayGoOn, typename Digested>
ContentEnd DigestContent(FileContentReader& reader, Sha1Digest& digest, uint8_t* buffer, MayGoOn&& mayGoOn,
                         Digested&& digested) {
    using Status = FileContentReader::ReadStatus;
    const uint64_t size = reader.Size();
    if (size == 0) {
        for (;;) {
            if (!mayGoOn()) return ContentEnd::Stopped;
            FileContentReader::ReadResult read = reader.Read(buffer, kReadPieceSize);
            if (read.status == Status::EndOfFile) return ContentEnd::Complete;
            if (read.status == Status::Failed) return ContentEnd::Failed;
            digest.Update(buffer, uint32_t(read.bytes));
            digested(read.bytes);
        }
    }
    uint64_t done = 0;
    bool mapping = size >= kMappedDigestMinSize;
    while (done < size) {
        uint64_t stretchEnd = size;
        if (mapping) {
            const FileContentReader::MappedView view = reader.MapAt(done, kMappedViewSize);
            // A file system that cannot map is read from here on.
            mapping = view.status == Status::Data;
            if (mapping && view.inMemory) {
                for (size_t at = 0; at < view.bytes; at += kReadPieceSize) {
                    if (!mayGoOn()) return ContentEnd::Stopped;
                    const size_t bytes = std::min(kReadPieceSize, view.bytes - at);
                    if (!DigestMappedPiece(digest, view.data + at, bytes)) return ContentEnd::Failed;
                    done += bytes;
                    digested(bytes);
                }
                continue;
            }
            if (mapping) stretchEnd = done + view.bytes;
        }
        while (done < stretchEnd) {
            if (!mayGoOn()) return ContentEnd::Stopped;
            FileContentReader::ReadResult read =
                reader.ReadAt(buffer, size_t(std::min<uint64_t>(kReadPieceSize, stretchEnd - done)), done);
            // An end before the size at open: the file was cut short.
            if (read.status != Status::Data) return ContentEnd::Failed;
            digest.Update(buffer, uint32_t(read.bytes));
            done += read.bytes;
            digested(read.bytes);
        }
    }
    return ContentEnd::Complete;
}

struct FileDigestResult {
    int error = 0;     // errno when the file could not be opened or read through
    std::string text;  // otherwise the 32-character base32 digest
    // The st_mode of a path that is no regular file (never opened), else 0.
    uint32_t notRegularMode = 0;
};

FileDigestResult DigestFile(const char* path);

}  // namespace twinseek
