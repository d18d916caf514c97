#include "compare/ReadAheadQueue.h"

#include <algorithm>

namespace twinseek {

ReadAheadQueue::ReadAheadQueue(size_t bufferCount, size_t bufferSize)
    : bufferSize(bufferSize), storage(std::make_unique<uint8_t[]>(bufferCount * bufferSize)) {
    for (size_t i = 0; i < bufferCount; ++i) freeBuffers.push_back(storage.get() + i * bufferSize);
}

void ReadAheadQueue::BeginJob(CompareJob* job) {
    std::lock_guard lock(mutex);
    begunJobs.push_back(job);
}

uint8_t* ReadAheadQueue::AcquireBuffer() {
    std::unique_lock lock(mutex);
    bufferFreed.wait(lock, [this] { return !freeBuffers.empty(); });
    uint8_t* buffer = freeBuffers.back();
    freeBuffers.pop_back();
    return buffer;
}

void ReadAheadQueue::ReleaseBuffer(uint8_t* buffer) {
    {
        std::lock_guard lock(mutex);
        freeBuffers.push_back(buffer);
    }
    bufferFreed.notify_one();
}

void ReadAheadQueue::Push(const ReadChunk& chunk) {
    {
        std::lock_guard lock(mutex);
        chunks.push_back(chunk);
    }
    chunkPushed.notify_one();
}

void ReadAheadQueue::FinishReading() {
    {
        std::lock_guard lock(mutex);
        readingFinished = true;
    }
    chunkPushed.notify_one();
}

std::optional<ReadChunk> ReadAheadQueue::Pop() {
    std::unique_lock lock(mutex);
    chunkPushed.wait(lock, [this] { return !chunks.empty() || readingFinished; });
    if (chunks.empty()) return std::nullopt;
    ReadChunk chunk = chunks.front();
    chunks.pop_front();
    return chunk;
}

void ReadAheadQueue::EndJob(CompareJob* job) {
    std::lock_guard lock(mutex);
    auto it = std::find(begunJobs.begin(), begunJobs.end(), job);
    if (it != begunJobs.end()) begunJobs.erase(it);
}

std::vector<CompareJob*> ReadAheadQueue::UnfinishedJobs() const {
    std::lock_guard lock(mutex);
    return {begunJobs.begin(), begunJobs.end()};
}

}  // namespace twinseek
