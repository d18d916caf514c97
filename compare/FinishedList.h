// The Finished list: one row per collected file, in the order collected or
// loaded, with its outcome, time and speed, and the totals of what it holds.
#pragma once

#include "compare/FinishedEntry.h"
#include "catalog/TextFormat.h"
#include "compare/ListColumn.h"
#include "compare/ListObserver.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace twinseek {

class FinishedList {
public:
    enum Column { kName, kSize, kStatus, kTime, kSpeed, kColumnCount };
    // What the Status column can say of a file.
    static TextList StatusTexts();
    static constexpr std::array<ListColumn, kColumnCount> kColumns{{
        {"Name", 240},
        {"Size", 90, WidestSizeTexts},
        {"Status", 120, StatusTexts},
        {"Time", 60, WidestDurationTexts},
        {"Speed", 60, WidestRateTexts},
    }};
    static constexpr std::string_view kCompleteText = "Complete";

    FinishedList() = default;
    FinishedList(const FinishedList&) = delete;
    FinishedList& operator=(const FinishedList&) = delete;

    // Appends a row and counts its file in the totals.
    void AddEntry(const FinishedEntry& entry);
    // Appends a row of a file compared before the document was saved. It is not
    // counted: the totals follow this session's comparisons against what they
    // queued, and counting files never queued made them pass 100%.
    void AddLoadedEntry(const FinishedEntry& entry);
    // Removes every row; the totals keep counting.
    void RemoveAll();
    // Removes the rows of the files doomed picks (their records are about to be
    // deleted); the totals keep counting. The observer sees the list emptied
    // and the remaining rows appended again. Returns how many rows went.
    size_t RemoveEntriesOf(const std::function<bool(const FileItem*)>& doomed);
    // Told of every change of rows; null for none.
    void SetObserver(ListObserver* listener) { observer = listener; }
    size_t RowCount() const { return rows.size(); }
    const FinishedEntry& Entry(size_t row) const { return rows[row]; }

    // The text of one cell, valid until the next call.
    std::string_view CellText(size_t row, size_t column) const;

    // Totals of every row ever added; cleared only when the list is made.
    uint64_t finishedBytes = 0;
    uint64_t finishedCount = 0;

private:
    ListObserver* observer = nullptr;
    std::vector<FinishedEntry> rows;
    mutable char cellText[kFormatBufferSize] = {};
};

}  // namespace twinseek
