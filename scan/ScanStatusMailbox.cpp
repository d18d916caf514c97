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
    bool wake = false;
    {
        std::lock_guard lock(mutex);
        held.done = true;
        wake = !std::exchange(awake, true);
    }
    if (wake) Wake();
}

ScanStatusMailbox::Delivery ScanStatusMailbox::Take() {
    std::lock_guard lock(mutex);
    awake = false;
    return std::exchange(held, Delivery{});
}

}  // namespace twinseek
