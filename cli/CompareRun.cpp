#include "cli/CompareRun.h"

#include "catalog/TextFormat.h"
#include "platform/TickCount.h"

#include <chrono>
#include <thread>

namespace twinseek {

std::string CompareProgressText(uint64_t doneBytes, uint64_t totalBytes, uint32_t elapsedMillis) {
    std::string text = "Comparing ";
    text.append(FormatSizeWithUnit(doneBytes).CStr()).append("/").append(FormatSizeWithUnit(totalBytes).CStr());
    text.append("  ").append(FormatPercent(doneBytes, totalBytes).CStr());
    text.append("  ").append(FormatRate(doneBytes, elapsedMillis).CStr());
    if (auto left = RemainingMillis(elapsedMillis, doneBytes, totalBytes))
        text.append("  ").append(FormatDuration(*left).CStr()).append(" left");
    return text;
}

std::vector<FinishedEntry> RunComparisonToEnd(ComparingList& comparing, FinishedList& finished,
                                              StatusLine& status) {
    size_t firstNewEntry = finished.RowCount();
    uint64_t finishedBefore = finished.finishedBytes;
    // The front end queues once per run, so everything queued is this run's.
    uint64_t total = comparing.queuedBytes;
    uint32_t start = GetTickCount();
    uint32_t lastShown = start;
    bool workersEnded = false;
    while (comparing.RowCount() != 0) {
        // Collect every 10 ms, and at once when the last worker ends.
        if (workersEnded)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        else
            workersEnded = comparing.Engine().WaitForWorkersToEnd(std::chrono::milliseconds(10));
        comparing.Engine().CollectFinished();
        uint32_t now = GetTickCount();
        if (status.Enabled() && now - lastShown >= 250) {
            lastShown = now;
            uint64_t done = finished.finishedBytes - finishedBefore + comparing.BytesInProgress();
            status.Show(CompareProgressText(done, total, now - start));
        }
    }
    status.Clear();
    std::vector<FinishedEntry> unreadable;
    for (size_t row = firstNewEntry; row < finished.RowCount(); ++row)
        if (finished.Entry(row).item->IsUnopenable()) unreadable.push_back(finished.Entry(row));
    return unreadable;
}

}  // namespace twinseek
