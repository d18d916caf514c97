// Reading a file's content and digesting it piece by piece, as the compare
// engine's workers do, and the SHA-1 of one file named by its path.
#pragma once

#include "compare/Sha1Digest.h"
#include "platform/FileContentReader.h"

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

// Reads the file open in reader to its end into buffer (kReadPieceSize bytes)
// and digests every piece. The size at open marks the end, so the last piece
// needs no further read to find it; a size of 0 says nothing, as files of
// pseudo file systems have content all the same. Before each read mayGoOn()
// is asked, and Stopped returned when it says no; after each piece,
// digested(bytes) is told.
template <typename MayGoOn, typename Digested>
ContentEnd DigestContent(FileContentReader& reader, Sha1Digest& digest, uint8_t* buffer, MayGoOn&& mayGoOn,
                         Digested&& digested) {
    const uint64_t size = reader.Size();
    uint64_t done = 0;
    while (size == 0 || done < size) {
        if (!mayGoOn()) return ContentEnd::Stopped;
        FileContentReader::ReadResult read = reader.Read(buffer, kReadPieceSize);
        if (read.status == FileContentReader::ReadStatus::EndOfFile) break;
        if (read.status == FileContentReader::ReadStatus::Failed) return ContentEnd::Failed;
        digest.Update(buffer, uint32_t(read.bytes));
        done += read.bytes;
        digested(read.bytes);
    }
    return ContentEnd::Complete;
}

struct FileDigestResult {
    int error = 0;     // errno when the file could not be opened or read through
    std::string text;  // otherwise the 32-character base32 digest
};

FileDigestResult DigestFile(const char* path);

}  // namespace twinseek
