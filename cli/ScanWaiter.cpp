#include "cli/ScanWaiter.h"

namespace twinseek {

void ScanWaiter::PostScanStatus(std::string text) {
    std::lock_guard lock(mutex);
    latestStatus = std::move(text);
}

void ScanWaiter::PostScanDone() {
    std::lock_guard lock(mutex);
    done = true;
    doneChanged.notify_all();
}

bool ScanWaiter::WaitForDone(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    return doneChanged.wait_for(lock, timeout, [this] { return done; });
}

std::string ScanWaiter::LatestStatus() const {
    std::lock_guard lock(mutex);
    return latestStatus;
}

}  // namespace twinseek
