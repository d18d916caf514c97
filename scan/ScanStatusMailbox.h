// A receiver of the scan's progress that a busy window can keep up with: the
// status messages are counted exactly and only the latest text is kept, and
// the window is woken once for whatever arrived until it takes the lot.
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

protected:
    // Called on the scan thread when the mailbox turns from empty to holding
    // something; it must queue a call of Take on the window's thread and return.
    virtual void Wake() = 0;

private:
    std::mutex mutex;
    Delivery held;
    bool awake = false;
};

}  // namespace twinseek
