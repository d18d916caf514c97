// The receiver of the scan engine's progress: a status text for each folder
// entered and one notice when the walk is over, delivered as posted messages.
#pragma once

#include <cstdint>
#include <string>

namespace twinseek {

// Numbers of the two messages, for a receiver that dispatches on them.
constexpr uint32_t WM_SCAN_STATUS = 1357;
constexpr uint32_t WM_SCAN_DONE = 1690;

// Both calls come from the scan thread. An implementation queues the message for
// its own thread and returns at once: it must never make the scan thread wait
// for the receiver to handle the message.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // WM_SCAN_STATUS: "Initialize..." first, then the full path of each folder
    // entered. The message owns its text.
    virtual void PostScanStatus(std::string text) = 0;
    // WM_SCAN_DONE: the walk has ended, completed or stopped.
    virtual void PostScanDone() = 0;
};

}  // namespace twinseek
