// A signal between threads that stays set until reset: once Set, every waiter
// passes, now and later, until Reset is called.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace twinseek {

class ManualResetEvent {
public:
    ManualResetEvent() = default;
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    // Signals the event and wakes every waiting thread.
    void Set();
    // Clears the signal; later waits block until the next Set.
    void Reset();
    // Whether the event is signalled right now, without waiting.
    bool IsSet() const { return signalled.load(std::memory_order_acquire); }
    // Blocks until the event is signalled.
    void Wait();
    // Blocks until the event is signalled or timeout passes; true when signalled.
    bool WaitFor(std::chrono::milliseconds timeout);

private:
    mutable std::mutex mutex;
    std::condition_variable signalledChanged;
    // Written only under mutex, so waiters see it change consistently; read
    // without it by IsSet.
    std::atomic<bool> signalled{false};
};

}  // namespace twinseek
