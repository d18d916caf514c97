// A receiver of the scan's progress that a window can keep up with whatever
// the pace of the scan: the status messages are counted exactly and only the
// latest text is kept; the window is woken once for whatever arrives until it
// takes the lot, and once more for the end of the walk.
#pragma once

#include "scan/MessageTarget.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace twinseek {

class ScanStatusMailbox : public MessageTarget {
public:
    // What arrived since the last Take.
    struct Delivery {
        uint32_t statusMessages = 0;  // status messages, each one folder
        std::string latestText;       // the text of the last of them
        bool done = false;            // the walk has ended
    };

    void PostScanStatus(std::string text) final;
    void PostScanDone() final;
    // Empties the mailbox; the next message wakes the window again.
    Delivery Take();
    // Whether the end of the walk waits in the mailbox.
    bool DonePending();

protected:
    // Called on the scan thread when the mailbox turns from empty to holding
    // something, and when the walk ends; it must queue a call to the window's
    // thread and return at once.
    virtual void Wake() = 0;

private:
    std::mutex mutex;
    Delivery held;
    bool awake = false;
};

}  // namespace twinseek
