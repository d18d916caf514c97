// Receives the scan engine's messages for a front end without windows: keeps
// the latest folder announced and lets the main thread wait for the end.
#pragma once

#include "scan/MessageTarget.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace twinseek {

class ScanWaiter final : public MessageTarget {
public:
    void PostScanStatus(std::string text) override;
    void PostScanDone() override;

    // Waits up to timeout; true once the walk has ended.
    bool WaitForDone(std::chrono::milliseconds timeout);
    std::string LatestStatus() const;

private:
    mutable std::mutex mutex;
    std::condition_variable doneChanged;
    std::string latestStatus;
    bool done = false;
};

}  // namespace twinseek
