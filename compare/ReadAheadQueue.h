// Hands file content from a worker's reading thread to its hashing thread in
// a few fixed buffers, so that reading one piece overlaps hashing the last.
#pragma once

#include "compare/CompareJob.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace twinseek {

struct ReadChunk {
    enum class Kind { Data, End, Failed };
    CompareJob* job;
    Kind kind;
    uint8_t* data = nullptr;  // Data: a buffer of the queue, given back with ReleaseBuffer
    size_t bytes = 0;
};

class ReadAheadQueue {
public:
    ReadAheadQueue(size_t bufferCount, size_t bufferSize);
    ReadAheadQueue(const ReadAheadQueue&) = delete;
    ReadAheadQueue& operator=(const ReadAheadQueue&) = delete;

    size_t BufferSize() const { return bufferSize; }

    // Reading side. A job is begun before its first chunk is pushed.
    void BeginJob(CompareJob* job);
    // Waits for a free buffer.
    uint8_t* AcquireBuffer();
    void ReleaseBuffer(uint8_t* buffer);
    void Push(const ReadChunk& chunk);
    // No chunk follows; Pop returns nothing once the queue is empty.
    void FinishReading();

    // Hashing side: waits for the next chunk, in the order pushed.
    std::optional<ReadChunk> Pop();
    // The job is done with: it leaves the list of begun jobs.
    void EndJob(CompareJob* job);
    // Jobs begun and not ended, in the order begun.
    std::vector<CompareJob*> UnfinishedJobs() const;

private:
    const size_t bufferSize;
    std::unique_ptr<uint8_t[]> storage;
    mutable std::mutex mutex;
    std::condition_variable bufferFreed;
    std::condition_variable chunkPushed;
    std::vector<uint8_t*> freeBuffers;
    std::deque<ReadChunk> chunks;
    std::deque<CompareJob*> begunJobs;
    bool readingFinished = false;
    // A side that runs dry sleeps until half the buffers are there for it
    // again, and is woken only then: waking a thread costs a system call, so
    // one wake moves many pieces rather than one.
    const size_t wakeMark;
    bool readerWaiting = false;
    bool hasherWaiting = false;
};

}  // namespace twinseek
