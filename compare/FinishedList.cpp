#include "compare/FinishedList.h"

#include <algorithm>

namespace twinseek {

void FinishedList::AddEntry(const FinishedEntry& entry) {
    finishedBytes += entry.item->Size();
    finishedCount += 1;
    rows.push_back(entry);
    if (observer) observer->RowsAppended(1);
}

void FinishedList::AddLoadedEntry(const FinishedEntry& entry) {
    rows.push_back(entry);
    if (observer) observer->RowsAppended(1);
}

void FinishedList::RemoveAll() {
    if (observer) observer->AllRowsAboutToBeRemoved();
    rows.clear();
    if (observer) observer->AllRowsRemoved();
}

size_t FinishedList::RemoveEntriesOf(const std::function<bool(const FileItem*)>& doomed) {
    auto goes = [&](const FinishedEntry& entry) { return doomed(entry.item); };
    if (std::none_of(rows.begin(), rows.end(), goes)) return 0;
    if (observer) observer->AllRowsAboutToBeRemoved();
    size_t removed = std::erase_if(rows, goes);
    if (observer) {
        observer->AllRowsRemoved();
        if (!rows.empty()) observer->RowsAppended(rows.size());
    }
    return removed;
}

TextList FinishedList::StatusTexts() { return {std::string(kCompleteText), kUnopenableText}; }

std::string_view FinishedList::CellText(size_t row, size_t column) const {
    if (row >= rows.size()) return {};
    const FinishedEntry& entry = rows[row];
    const FileItem& item = *entry.item;
    switch (column) {
    case kName:
        return item.Name();
    case kSize:
        FormatSize(item.Size(), cellText, sizeof cellText);
        return cellText;
    case kStatus:
        return item.IsUnopenable() ? std::string_view(kUnopenableText) : kCompleteText;
    case kTime:
        FormatDuration(entry.elapsedMillis, cellText, sizeof cellText);
        return cellText;
    case kSpeed:
        FormatRate(item.Size(), entry.elapsedMillis, cellText, sizeof cellText);
        return cellText;
    default:
        return {};
    }
}

}  // namespace twinseek
