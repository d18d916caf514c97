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

    size_t RowCount() const { return rows.size(); }
    FileItem* File(size_t row) const { return row < rows.size() ? rows[row].file : nullptr; }
    bool IsTicked(size_t row) const { return row < rows.size() && rows[row].ticked; }
    void SetTicked(size_t row, bool ticked);
    void SelectAll();
    void ClearAll();
    size_t TickedCount() const;
    std::string CellText(size_t row, size_t column) const;

    // The Delete button: removes the ticked files that pass their checks
    // (RemoveDuplicates), then every listed file no longer on disk leaves this
    // list and the document (Document::DiscardRecords). Refused while comparing.
    DeletionReport DeleteTicked(AppSession& session, FileRemover& remover, RemovalMode mode,
                                const DeletionHooks& hooks = {});

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
