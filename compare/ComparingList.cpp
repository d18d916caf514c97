#include "compare/ComparingList.h"

#include <algorithm>
#include <optional>

namespace twinseek {

ComparingList::ComparingList(FinishedList& finished, DuplicateIndex& index, CompareView& view,
                             ProgressIndicator& progress)
    : view(view), engine(*this, finished, index, view, progress) {}

ComparingList::~ComparingList() = default;

void ComparingList::AppendJob(std::unique_ptr<CompareJob> job) {
    rows.push_back(std::move(job));
    if (observer) observer->RowsAppended(1);
}

void ComparingList::RemoveHeadRows(size_t count) {
    count = std::min(count, rows.size());
    if (count == 0) return;
    if (observer) observer->HeadRowsAboutToBeRemoved(count);
    rows.erase(rows.begin(), rows.begin() + ptrdiff_t(count));
    if (observer) observer->HeadRowsRemoved();
}

void ComparingList::RemoveAll() {
    if (observer) observer->AllRowsAboutToBeRemoved();
    rows.clear();
    if (observer) observer->AllRowsRemoved();
}

uint64_t ComparingList::BytesInProgress() const {
    uint64_t bytes = 0;
    for (const auto& job : rows) bytes += job->bytesDone.load(std::memory_order_relaxed);
    return bytes;
}

std::string_view ComparingList::CellText(size_t row, size_t column) const {
    if (row >= rows.size()) return {};
    const CompareJob& job = *rows[row];
    const FileItem& item = *job.item;
    if (column == kName) return item.Name();

    const uint64_t size = item.Size();
    const uint64_t done = job.bytesDone.load(std::memory_order_relaxed);
    // startTick is stored after lastTick; seeing it set means lastTick is from
    // the same read. A row not started yet has both at 0.
    const uint32_t startTick = job.startTick.load(std::memory_order_acquire);
    const uint32_t elapsed = startTick == 0 ? 0 : job.lastTick.load(std::memory_order_relaxed) - startTick;

    switch (column) {
    case kSize:
        FormatSize(size, cellText, sizeof cellText);
        break;
    case kCompleted:
        FormatSize(done, cellText, sizeof cellText);
        break;
    case kPercent:
        FormatPercent(done, size, cellText, sizeof cellText);
        break;
    case kElapsed:
        FormatDuration(elapsed, cellText, sizeof cellText);
        break;
    case kLeft:
        if (std::optional<uint32_t> left = RemainingMillis(elapsed, done, size))
            FormatDuration(*left, cellText, sizeof cellText);
        else
            cellText[0] = '\0';
        break;
    case kSpeed:
        FormatRate(done, elapsed, cellText, sizeof cellText);
        break;
    default:
        return {};
    }
    return cellText;
}

void ComparingList::OnRepaintTimer() {
    if (!rows.empty()) view.Repaint(kRepaintComparingList);
}

}  // namespace twinseek
