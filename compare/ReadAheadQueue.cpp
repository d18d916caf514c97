#include "compare/ReadAheadQueue.h"

#include <algorithm>

namespace twinseek {

// A side about to sleep raises its flag and then looks at the other's
// counter; the other side moves its counter and then looks at the flag. Both
// with sequential consistency, so at least one of them sees the other: either
// the sleeper does not sleep, or it is woken.

ReadAheadQueue::ReadAheadQueue(size_t slotCount, size_t bufferSize)
    : slotCount(std::max<size_t>(1, slotCount)),
      bufferSize(bufferSize),
      wakeMark(std::max<size_t>(1, this->slotCount / 2)),
      storage(std::make_unique_for_overwrite<uint8_t[]>(this->slotCount * bufferSize)),
      slots(std::make_unique<ReadChunk[]>(this->slotCount)) {}

void ReadAheadQueue::Wake(std::condition_variable& sleeper) {
    // Taking the lock orders this wake after the sleeper's last look at the
    // counters, which it makes holding the lock.
    { std::lock_guard lock(sleepMutex); }
    sleeper.notify_one();
}

uint8_t* ReadAheadQueue::AcquireBuffer() {
    const size_t next = published.load(std::memory_order_relaxed);
    if (FreeSlots(next, releasedSeen) == 0) {
        releasedSeen = released.load(std::memory_order_acquire);
        if (FreeSlots(next, releasedSeen) == 0) {
            std::unique_lock lock(sleepMutex);
            readerSleeping.store(true);
            readerWake.wait(lock, [&] {
                releasedSeen = released.load();
                return FreeSlots(next, releasedSeen) >= wakeMark;
            });
            readerSleeping.store(false, std::memory_order_relaxed);
        }
    }
    return storage.get() + (next % slotCount) * bufferSize;
}

void ReadAheadQueue::Push(const ReadChunk& chunk) {
    const size_t next = published.load(std::memory_order_relaxed);
    slots[next % slotCount] = chunk;
    published.store(next + 1);
    if (digesterSleeping.load() && next + 1 - released.load(std::memory_order_relaxed) >= wakeMark)
        Wake(digesterWake);
}

void ReadAheadQueue::FinishReading() {
    readingFinished.store(true);
    Wake(digesterWake);
}

const ReadChunk* ReadAheadQueue::Pop() {
    const size_t next = released.load(std::memory_order_relaxed);
    if (publishedSeen == next) {
        publishedSeen = published.load(std::memory_order_acquire);
        if (publishedSeen == next) {
            std::unique_lock lock(sleepMutex);
            digesterSleeping.store(true);
            digesterWake.wait(lock, [&] {
                // Finished first: every chunk was published before it was set.
                bool finished = readingFinished.load();
                publishedSeen = published.load();
                return finished || publishedSeen - next >= wakeMark;
            });
            digesterSleeping.store(false, std::memory_order_relaxed);
            if (publishedSeen == next) return nullptr;
        }
    }
    taken = true;
    return &slots[next % slotCount];
}

void ReadAheadQueue::Release() {
    if (!taken) return;
    taken = false;
    const size_t now = released.load(std::memory_order_relaxed) + 1;
    released.store(now);
    if (readerSleeping.load() && FreeSlots(published.load(std::memory_order_relaxed), now) >= wakeMark)
        Wake(readerWake);
}

}  // namespace twinseek
