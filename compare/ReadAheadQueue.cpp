#include "compare/ReadAheadQueue.h"

#include <algorithm>

namespace twinseek {

ReadAheadQueue::ReadAheadQueue(size_t bufferCount, size_t bufferSize)
    : bufferSize(bufferSize),
      storage(std::make_unique_for_overwrite<uint8_t[]>(bufferCount * bufferSize)),
      wakeMark(std::max<size_t>(1, bufferCount / 2)) {
    for (size_t i = 0; i < bufferCount; ++i) freeBuffers.push_back(storage.get() + i * bufferSize);
}

void ReadAheadQueue::BeginJob(CompareJob* job) {
    std::lock_guard lock(mutex);
    begunJobs.push_back(job);
}

uint8_t* ReadAheadQueue::AcquireBuffer() {
    std::unique_lock lock(mutex);
    if (freeBuffers.empty()) {
        readerWaiting = true;
        bufferFreed.wait(lock, [this] { return freeBuffers.size() >= wakeMark; });
        readerWaiting = false;
    }
    uint8_t* buffer = freeBuffers.back();
    freeBuffers.pop_back();
    return buffer;
}

void ReadAheadQueue::ReleaseBuffer(uint8_t* buffer) {
    bool wake;
    {
        std::lock_guard lock(mutex);
        freeBuffers.push_back(buffer);
        wake = readerWaiting && freeBuffers.size() == wakeMark;
    }
    if (wake) bufferFreed.notify_one();
}

void ReadAheadQueue::Push(const ReadChunk& chunk) {
    // The reader blocks only in AcquireBuffer, and only when every buffer is
    // queued here: so a waiting hasher always reaches its mark.
    bool wake;
    {
        std::lock_guard lock(mutex);
        chunks.push_back(chunk);
        wake = hasherWaiting && chunks.size() == wakeMark;
    }
    if (wake) chunkPushed.notify_one();
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
    if (chunks.empty() && !readingFinished) {
        hasherWaiting = true;
        chunkPushed.wait(lock, [this] { return chunks.size() >= wakeMark || readingFinished; });
        hasherWaiting = false;
    }
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
