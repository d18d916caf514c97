// What the status bar tells of a comparison beyond its sizes and counts: the
// whole comparison's percentage by bytes, the time since it started, the time
// left at the rate of its last seconds, and, once it ends, what it found.
#pragma once

#include "catalog/DuplicateIndex.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace twinseek {

class ComparisonProgress {
public:
    // The lists' byte totals, which count over the lists' whole lives: a
    // comparison's own are what was queued and finished since it started.
    struct Snapshot {
        bool comparing = false;
        uint64_t queuedBytes = 0;
        uint64_t finishedBytes = 0;
        // Read so far of the files still in the Comparing list.
        uint64_t bytesInProgress = 0;
        // The file the Comparing list shows first: being read, or next.
        uint64_t fileDone = 0;
        uint64_t fileSize = 0;
    };

    // The rate is taken over this much of the recent past, and no time left is
    // estimated from less than kLeastRateSpanMillis of it.
    static constexpr uint32_t kRateWindowMillis = 10000;
    static constexpr uint32_t kLeastRateSpanMillis = 3000;

    // At each update of the status bar, with the tick count. True once, at the
    // first update after a comparison ended (finished or stopped).
    bool Update(uint32_t tick, const Snapshot& now);

    bool Started() const { return started; }
    // Whether the last comparison to end was stopped before all it queued was read.
    bool Stopped() const { return stopped; }
    // Pane texts, empty before the first comparison. Once one ends only the
    // time it took stays, which leaves room for what it found.
    std::string PercentText() const;
    std::string ElapsedText() const;
    std::string LeftText() const;
    // Milliseconds still needed at the recent rate; none while the comparison
    // has not run long enough, or has not moved for the whole window.
    std::optional<uint32_t> MillisLeft() const { return millisLeft; }

private:
    struct Sample {
        uint32_t tick;
        uint64_t doneBytes;
    };
    void Estimate();

    bool started = false;
    bool comparing = false;
    bool stopped = false;
    // The totals when this comparison started.
    uint64_t baseQueued = 0;
    uint64_t baseFinished = 0;
    uint32_t startTick = 0;
    uint32_t elapsed = 0;
    uint64_t doneBytes = 0;
    uint64_t totalBytes = 0;
    uint64_t fileDone = 0;
    uint64_t fileSize = 0;
    std::deque<Sample> samples;
    std::optional<uint32_t> millisLeft;
};

// Pane 0's words when a comparison ends (finished, or stopped): the duplicate
// groups the document holds and the bytes their copies beyond the first take.
std::string ComparisonEndText(const DuplicateIndex& duplicates, bool stopped);
// How long they stay before "Ready" returns.
constexpr uint32_t kComparisonEndTextMillis = 6000;

}  // namespace twinseek
