#include "scan/ScanStatusMailbox.h"

#include <utility>

namespace twinseek {

void ScanStatusMailbox::PostScanStatus(std::string text) {
    bool wake = false;
    {
        std::lock_guard lock(mutex);
        ++held.statusMessages;
        held.latestText = std::move(text);
        wake = !std::exchange(awake, true);
    }
    if (wake) Wake();
}

void ScanStatusMailbox::PostScanDone() {
    {
        std::lock_guard lock(mutex);
        held.done = true;
        awake = true;
    }
    // Always: a window that takes its mail on a timer learns of the end at once.
    Wake();
}

ScanStatusMailbox::Delivery ScanStatusMailbox::Take() {
    std::lock_guard lock(mutex);
    awake = false;
    return std::exchange(held, Delivery{});
}

bool ScanStatusMailbox::DonePending() {
    std::lock_guard lock(mutex);
    return held.done;
}

}  // namespace twinseek
