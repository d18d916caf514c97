// Hands file content from a worker's reading thread to its digesting thread
// through a ring of fixed buffers, so that reading one piece overlaps digesting
// the last. One thread reads and one digests; neither takes a lock to pass a piece.
#pragma once

#include "compare/CompareJob.h"
#include "platform/FileContentReader.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace twinseek {

struct ReadChunk {
    // Data: content in data; with endsFile it is the file's last piece.
    // End: the file has ended without content in this chunk.
    // Failed: the file could not be opened, or a read failed before its end.
    enum class Kind { Data, End, Failed };
    CompareJob* job = nullptr;
    Kind kind = Kind::Data;
    bool endsFile = false;
    const uint8_t* data = nullptr;
    size_t bytes = 0;
};

class ReadAheadQueue {
public:
    ReadAheadQueue(size_t slotCount, size_t bufferSize);
    ReadAheadQueue(const ReadAheadQueue&) = delete;
    ReadAheadQueue& operator=(const ReadAheadQueue&) = delete;

    size_t BufferSize() const { return bufferSize; }

    // Reading side. Every chunk takes a slot: AcquireBuffer waits for a free
    // one and returns its buffer, Push publishes it (data, if any, must be in
    // that buffer).
    uint8_t* AcquireBuffer();
    void Push(const ReadChunk& chunk);
    // No chunk follows; Pop returns nothing once the ring is empty.
    void FinishReading();

    // Digesting side: waits for the oldest chunk not taken, in the order
    // pushed; nullptr at the end. Release gives its slot back.
    const ReadChunk* Pop();
    void Release();

private:
    size_t FreeSlots(size_t published, size_t released) const { return slotCount - (published - released); }
    void Wake(std::condition_variable& sleeper);

    const size_t slotCount;
    const size_t bufferSize;
    // A side that runs dry sleeps until half the ring is there for it again,
    // and is woken only then: waking a thread costs a system call, so one
    // wake moves many pieces rather than one.
    const size_t wakeMark;
    std::unique_ptr<uint8_t[]> storage;
    std::unique_ptr<ReadChunk[]> slots;

    // Each counter is written by one side only, and each side keeps the last
    // value it saw of the other's, so the two cache lines move between the
    // processors only when a side seems to have run dry.
    alignas(64) std::atomic<size_t> published{0};
    size_t releasedSeen = 0;
    alignas(64) std::atomic<size_t> released{0};
    size_t publishedSeen = 0;
    bool taken = false;

    alignas(64) std::mutex sleepMutex;
    std::condition_variable readerWake;
    std::condition_variable digesterWake;
    std::atomic<bool> readerSleeping{false};
    std::atomic<bool> digesterSleeping{false};
    std::atomic<bool> readingFinished{false};
};

// Reads the file open in reader into queue, a buffer at a time, for job. The
// size at open marks the end, so the last piece is pushed with endsFile and no
// further read is needed to find it; a file that ends sooner (or whose size
// said nothing) gets an End chunk, a failed read a Failed one. Before each
// read mayGoOn() is asked: when it says no, the file is left unfinished and
// false is returned.
template <typename MayGoOn>
bool ReadFileIntoQueue(FileContentReader& reader, ReadAheadQueue& queue, CompareJob* job, MayGoOn&& mayGoOn) {
    const uint64_t size = reader.Size();
    uint64_t done = 0;
    for (;;) {
        if (!mayGoOn()) return false;
        uint8_t* buffer = queue.AcquireBuffer();
        FileContentReader::ReadResult result = reader.Read(buffer, queue.BufferSize());
        if (result.status != FileContentReader::ReadStatus::Data) {
            queue.Push({job, result.status == FileContentReader::ReadStatus::EndOfFile ? ReadChunk::Kind::End
                                                                                       : ReadChunk::Kind::Failed});
            return true;
        }
        done += result.bytes;
        // A size of 0 says nothing: files of pseudo file systems have content all the same.
        const bool last = size != 0 && done >= size;
        queue.Push({job, ReadChunk::Kind::Data, last, buffer, result.bytes});
        if (last) return true;
    }
}

}  // namespace twinseek
