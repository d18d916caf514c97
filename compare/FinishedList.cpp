#include "compare/FinishedList.h"

namespace twinseek {

void FinishedList::AddEntry(const FinishedEntry& entry) {
    finishedBytes += entry.item->Size();
    finishedCount += 1;
    rows.push_back(entry);
    if (observer) observer->RowsAppended(1);
}

void FinishedList::RemoveAll() {
    if (observer) observer->AllRowsAboutToBeRemoved();
    rows.clear();
    if (observer) observer->AllRowsRemoved();
}

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
