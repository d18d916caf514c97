// The delete dialog's model: the files ticked in the result view, each with a
// tick of its own, the dialog's captions, and the work of its Delete button.
#pragma once

#include "session/FileDeletion.h"
#include "session/RowObserver.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek {

class AppSession;
class FileItem;

class DeleteList {
public:
    // files in the result view's row order; every row starts ticked.
    explicit DeleteList(std::vector<FileItem*> files);

    void SetRowObserver(RowObserver* listener) { observer = listener; }

    // "Confirm File Delete" for one file handed in, else "Confirm Multiple File Delete".
    std::string_view Caption() const;
    // The text of the Trash check box, which starts cleared.
    std::string_view TrashChoiceText() const;
    // What the progress of a long deletion reads before file done + 1 of total.
    static std::string ProgressText(size_t done, size_t total);

    // The choices of what Delete does with the ticked files, in the order
    // offered: remove them, or replace each by a hard link to or a clone of
    // the copy that stays.
    static constexpr CleanupAction kActionChoices[] = {CleanupAction::Trash, CleanupAction::HardLink,
                                                       CleanupAction::Clone};
    static std::string_view ActionChoiceText(CleanupAction action);
    // Said under the list: how many files are ticked and the bytes they free.
    std::string TickedSummary() const;
    // What the chosen action cannot undo, said before it is done; empty when
    // Undo Last Cleanup can bring everything back.
    static std::string_view UndoNote(CleanupAction action);

    size_t RowCount() const { return rows.size(); }
    FileItem* File(size_t row) const { return row < rows.size() ? rows[row].file : nullptr; }
    bool IsTicked(size_t row) const { return row < rows.size() && rows[row].ticked; }
    void SetTicked(size_t row, bool ticked);
    void SelectAll();
    void ClearAll();
    size_t TickedCount() const;
    std::string CellText(size_t row, size_t column) const;

    // The Delete button: removes or replaces the ticked files that pass their
    // checks (RemoveDuplicates); every listed file no longer on disk leaves
    // this list and the document (Document::DiscardRecords), and every one
    // replaced leaves this list. Refused while comparing.
    DeletionReport DeleteTicked(AppSession& session, FileRemover& remover, CleanupAction action,
                                CleanupJournal& journal, const DeletionHooks& hooks = {});

    // Set once any file has left the document; the caller then rebuilds what
    // the document does not rebuild itself.
    bool deletedAny = false;

private:
    struct Row {
        FileItem* file;
        bool ticked;
    };

    void RemoveRows(const std::vector<bool>& goes);

    std::vector<Row> rows;
    bool single;
    RowObserver* observer = nullptr;
};

}  // namespace twinseek
