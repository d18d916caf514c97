#include "compare/FileDigest.h"

#include "compare/CompareEngine.h"
#include "compare/ReadAheadQueue.h"
#include "compare/Sha1Digest.h"
#include "platform/FileContentReader.h"

#include <memory>
#include <system_error>
#include <thread>

namespace twinseek {

namespace {

// Reads and digests on this thread, one buffer at a time; the errno of a
// failed read, or 0.
int DigestHere(FileContentReader& reader, Sha1Digest& digest) {
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kReadAheadChunkSize);
    for (;;) {
        FileContentReader::ReadResult read = reader.Read(buffer.get(), kReadAheadChunkSize);
        if (read.status == FileContentReader::ReadStatus::EndOfFile) return 0;
        if (read.status == FileContentReader::ReadStatus::Failed) return reader.LastError();
        digest.Update(buffer.get(), uint32_t(read.bytes));
    }
}

int DigestReadingAhead(FileContentReader& reader, Sha1Digest& digest) {
    ReadAheadQueue queue(kReadAheadBuffers, kReadAheadChunkSize);
    std::thread reading;
    try {
        reading = std::thread([&] {
            ReadFileIntoQueue(reader, queue, nullptr, [] { return true; });
            queue.FinishReading();
        });
    } catch (const std::system_error&) {
        return DigestHere(reader, digest);
    }
    bool failed = false;
    while (const ReadChunk* chunk = queue.Pop()) {
        if (chunk->kind == ReadChunk::Kind::Data) digest.Update(chunk->data, uint32_t(chunk->bytes));
        failed = failed || chunk->kind == ReadChunk::Kind::Failed;
        queue.Release();
    }
    reading.join();
    return failed ? reader.LastError() : 0;
}

}  // namespace

FileDigestResult DigestFile(const char* path) {
    FileContentReader reader;
    if (!reader.Open(path)) return {reader.LastError(), {}};
    Sha1Digest digest;
    // A file that one read takes whole gains nothing from a second thread.
    int error = reader.Size() > kReadAheadChunkSize ? DigestReadingAhead(reader, digest) : DigestHere(reader, digest);
    if (error != 0) return {error, {}};
    digest.Final();
    char text[kDigestTextSize];
    digest.GetBase32Text(text);
    return {0, text};
}

}  // namespace twinseek
