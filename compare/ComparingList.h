// The Comparing list: one row per file handed to the compare engine and not
// yet collected, with its live progress. It owns the engine and the jobs, and
// its two timers drive repainting and collection.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "compare/CompareEngine.h"
#include "compare/CompareJob.h"
#include "compare/CompareView.h"
#include "compare/FinishedList.h"
#include "catalog/TextFormat.h"
#include "compare/ListColumn.h"
#include "compare/ListObserver.h"
#include "compare/ProgressIndicator.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>

namespace twinseek {

class ComparingList {
public:
    enum Column { kName, kSize, kCompleted, kPercent, kElapsed, kLeft, kSpeed, kColumnCount };
    static constexpr std::array<ListColumn, kColumnCount> kColumns{{
        {"Name", 240},
        {"Size", 90, WidestSizeTexts},
        {"Completed", 90, WidestSizeTexts},
        {"Percent", 60, WidestPercentTexts},
        {"Elapsed", 60, WidestDurationTexts},
        {"Left", 60, WidestDurationTexts},
        {"Speed", 120, WidestRateTexts},
    }};
    static constexpr uint32_t kRepaintIntervalMillis = 1000;
    static constexpr uint32_t kCollectIntervalMillis = 2000;

    ComparingList(FinishedList& finished, DuplicateIndex& index, CompareView& view, ProgressIndicator& progress);
    ComparingList(const ComparingList&) = delete;
    ComparingList& operator=(const ComparingList&) = delete;
    ~ComparingList();

    size_t RowCount() const { return rows.size(); }
    const CompareJob& Job(size_t row) const { return *rows[row]; }
    CompareJob& Job(size_t row) { return *rows[row]; }
    // Rows are removed only when no worker holds their job: its file is
    // Digested, or the engine has been stopped.
    void AppendJob(std::unique_ptr<CompareJob> job);
    void RemoveHeadRows(size_t count);
    void RemoveAll();
    // Told of every change of rows; null for none.
    void SetObserver(ListObserver* listener) { observer = listener; }

    // Bytes read so far of the files still listed; the workers may be a read ahead.
    uint64_t BytesInProgress() const;
    // The text of one cell, valid until the next call. Progress columns read
    // what the worker wrote last.
    std::string_view CellText(size_t row, size_t column) const;

    // Every 1000 ms: repaint while there are rows, so progress moves.
    void OnRepaintTimer();
    // Every 2000 ms: collect the files the worker has finished.
    void OnCollectTimer() { engine.CollectFinished(); }

    CompareEngine& Engine() { return engine; }
    const CompareEngine& Engine() const { return engine; }

    // Totals of files queued; cleared only when the list is made. The engine
    // adds on AddFile and takes back what a stop cancels.
    uint64_t queuedBytes = 0;
    uint64_t queuedCount = 0;

private:
    CompareView& view;
    ListObserver* observer = nullptr;
    std::deque<std::unique_ptr<CompareJob>> rows;
    mutable char cellText[kFormatBufferSize] = {};
    // Last, so its workers have stopped before the rows go.
    CompareEngine engine;
};

}  // namespace twinseek
