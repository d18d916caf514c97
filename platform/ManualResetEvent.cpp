#include "platform/ManualResetEvent.h"

namespace twinseek {

void ManualResetEvent::Set() {
    {
        std::lock_guard lock(mutex);
        signalled.store(true, std::memory_order_release);
    }
    signalledChanged.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard lock(mutex);
    signalled.store(false, std::memory_order_release);
}

void ManualResetEvent::Wait() {
    std::unique_lock lock(mutex);
    signalledChanged.wait(lock, [this] { return signalled.load(std::memory_order_relaxed); });
}

bool ManualResetEvent::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    return signalledChanged.wait_for(lock, timeout,
                                     [this] { return signalled.load(std::memory_order_relaxed); });
}

}  // namespace twinseek
