#include "session/DeleteList.h"

#include "catalog/FileItem.h"
#include "catalog/TextFormat.h"
#include "session/RemovalPlan.h"
#include "session/AppSession.h"
#include "session/ResultColumns.h"

#include <algorithm>
#include <unordered_set>

namespace twinseek {

DeleteList::DeleteList(std::vector<FileItem*> files) : single(files.size() == 1) {
    rows.reserve(files.size());
    for (FileItem* file : files) rows.push_back({file, true});
}

std::string_view DeleteList::Caption() const {
    return single ? "Confirm File Delete" : "Confirm Multiple File Delete";
}

std::string_view DeleteList::TrashChoiceText() const {
    return single ? "Send the item to the Recycle Bin." : "Send these items to the Recycle Bin.";
}

std::string DeleteList::ProgressText(size_t done, size_t total) {
    return "Deleting file " + std::to_string(std::min(done + 1, total)) + " of " + std::to_string(total) + "...";
}

std::string_view DeleteList::ActionChoiceText(CleanupAction action) {
    switch (action) {
    case CleanupAction::HardLink: return "Replace each by a hard link to the copy that stays";
    case CleanupAction::Clone: return "Replace each by a clone of the copy that stays";
    default: return "Remove the ticked files";
    }
}

std::string DeleteList::TickedSummary() const {
    size_t files = 0;
    uint64_t bytes = 0;
    for (const Row& row : rows)
        if (row.ticked) {
            ++files;
            bytes += row.file->Size();
        }
    if (files == 0) return "No file ticked";
    return (files == 1 ? std::string("1 file ticked, ") : std::to_string(files) + " files ticked, ") +
           FormatSizeWithUnit(bytes).CStr() + " to free";
}

std::string_view DeleteList::UndoNote(CleanupAction action) {
    return action == CleanupAction::Delete ? "Files removed for good cannot be brought back by Undo Last Cleanup."
                                           : "";
}

void DeleteList::SetTicked(size_t row, bool ticked) {
    if (row >= rows.size() || rows[row].ticked == ticked) return;
    rows[row].ticked = ticked;
    if (observer) observer->RowsChanged(row, 1);
}

void DeleteList::SelectAll() {
    for (Row& row : rows) row.ticked = true;
    if (observer && !rows.empty()) observer->RowsChanged(0, rows.size());
}

void DeleteList::ClearAll() {
    for (Row& row : rows) row.ticked = false;
    if (observer && !rows.empty()) observer->RowsChanged(0, rows.size());
}

size_t DeleteList::TickedCount() const {
    return size_t(std::count_if(rows.begin(), rows.end(), [](const Row& row) { return row.ticked; }));
}

std::string DeleteList::CellText(size_t row, size_t column) const {
    return row < rows.size() ? ResultCellText(*rows[row].file, column) : std::string();
}

DeletionReport DeleteList::DeleteTicked(AppSession& session, FileRemover& remover, CleanupAction action,
                                        CleanupJournal& journal, const DeletionHooks& hooks) {
    // The worker may be reading a listed file's record; nothing is touched then.
    if (session.IsComparing()) {
        DeletionReport report;
        report.refused = true;
        return report;
    }
    std::vector<FileItem*> ticked;
    for (const Row& row : rows)
        if (row.ticked) ticked.push_back(row.file);
    DeletionReport report = RemoveDuplicates(session.Doc(), ticked, remover, action, journal, hooks);

    // An unticked row whose file has vanished meanwhile goes too; only a file
    // that is surely not there counts as gone.
    std::unordered_set<const FileItem*> gone(report.gone.begin(), report.gone.end());
    for (const Row& row : rows)
        if (!row.ticked && LookAtFile(DescribeForCheck(session.Doc(), *row.file)).condition == FileCondition::Gone) {
            gone.insert(row.file);
            report.gone.push_back(row.file);
        }
    for (const auto& [file, kept] : report.replacedBy) gone.insert(file);
    if (gone.empty()) return report;
    std::vector<bool> goes(rows.size(), false);
    for (size_t row = 0; row < rows.size(); ++row) goes[row] = gone.contains(rows[row].file);
    RemoveRows(goes);
    ApplyCleanupToDocument(session.Doc(), report, action);
    report.discarded = report.gone.size();
    deletedAny = true;
    return report;
}

void DeleteList::RemoveRows(const std::vector<bool>& goes) {
    // From the last row up, one notice per run of rows that go.
    for (size_t end = rows.size(); end > 0;) {
        if (!goes[end - 1]) {
            --end;
            continue;
        }
        size_t first = end - 1;
        while (first > 0 && goes[first - 1]) --first;
        if (observer) observer->RowsAboutToBeRemoved(first, end - first);
        rows.erase(rows.begin() + ptrdiff_t(first), rows.begin() + ptrdiff_t(end));
        if (observer) observer->RowsRemoved();
        end = first;
    }
}

}  // namespace twinseek
