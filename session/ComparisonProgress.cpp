#include "session/ComparisonProgress.h"

#include "catalog/TextFormat.h"
#include "compare/StatusPanes.h"

#include <algorithm>
#include <iterator>

namespace twinseek {

bool ComparisonProgress::Update(uint32_t tick, const Snapshot& now) {
    bool ended = false;
    if (now.comparing && !comparing) {
        comparing = started = true;
        stopped = false;
        startTick = tick;
        samples.clear();
    }
    if (comparing) {
        elapsed = tick - startTick;
        const uint64_t queuedBefore = totalBytes;
        totalBytes = now.queuedBytes - std::min(now.queuedBytes, baseQueued);
        const uint64_t finished = now.finishedBytes - std::min(now.finishedBytes, baseFinished);
        doneBytes = std::min(totalBytes, finished + now.bytesInProgress);
        if (now.comparing) {
            fileDone = now.fileDone;
            fileSize = now.fileSize;
            samples.push_back({tick, doneBytes});
            Estimate();
        } else {
            // Finished, or stopped, which takes what it cancelled out of the queue.
            comparing = false;
            ended = true;
            stopped = totalBytes < queuedBefore;
            millisLeft.reset();
        }
    }
    if (!now.comparing) {
        // Whatever is queued next starts from these totals.
        baseQueued = now.queuedBytes;
        baseFinished = now.finishedBytes;
    }
    return ended;
}

void ComparisonProgress::Estimate() {
    const Sample& latest = samples.back();
    // Samples older than the window go, but the newest of them stays as the
    // window's start, so that updates a few seconds apart still give a rate.
    while (samples.size() > 2 && latest.tick - samples[1].tick >= kRateWindowMillis) samples.pop_front();
    const Sample& first = samples.front();
    const uint32_t span = latest.tick - first.tick;
    millisLeft.reset();
    if (span < kLeastRateSpanMillis || latest.doneBytes <= first.doneBytes) return;
    const double bytesPerMilli = double(latest.doneBytes - first.doneBytes) / span;
    const double left = double(totalBytes - latest.doneBytes) / bytesPerMilli;
    millisLeft = uint32_t(std::min(left, double(UINT32_MAX)));
}

std::string ComparisonProgress::PercentText() const {
    if (!comparing) return {};
    return PanePercentText(doneBytes, totalBytes, fileDone, fileSize);
}

std::string ComparisonProgress::ElapsedText() const { return started ? PaneElapsedText(elapsed) : std::string(); }

std::string ComparisonProgress::LeftText() const { return comparing ? PaneLeftText(millisLeft) : std::string(); }

std::string ComparisonEndText(const DuplicateIndex& duplicates, bool stopped) {
    uint64_t groups = 0;
    uint64_t extraBytes = 0;
    duplicates.ForEachDuplicateGroup([&](uint64_t size, DuplicateIndex::FileRange files) {
        ++groups;
        extraBytes += size * uint64_t(std::distance(files.first, files.second) - 1);
    });
    const std::string ending = stopped ? "Comparison stopped: " : "Comparison finished: ";
    if (groups == 0) return ending + "no duplicates found";
    const std::string bytes = FormatSizeWithUnit(extraBytes).CStr();
    if (groups == 1) return ending + "1 duplicate group; its extra copies hold " + bytes;
    return ending + std::to_string(groups) + " duplicate groups; their extra copies hold " + bytes;
}

}  // namespace twinseek
