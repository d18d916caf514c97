// The delete dialog: the files ticked in the result view listed again, each
// with its own tick, removed for good or sent to the Trash on Delete. It stays
// open until closed; whatever it removed has left the document by then.
#pragma once

#include "session/CleanupJournal.h"
#include "session/DeleteList.h"
#include "views/TickListModel.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace twinseek {

class AppSession;
class FileRemover;
class TickList;

class DeleteDialog : public QDialog {
    Q_OBJECT
public:
    // files in the result view's row order; session and remover must outlive the dialog.
    DeleteDialog(AppSession& session, std::vector<FileItem*> files, FileRemover& remover, QWidget* parent = nullptr);
    ~DeleteDialog() override;

    // Set once a file has left the document.
    bool DeletedAny() const { return list.deletedAny; }
    // The Delete button: the ticked files go, to the Trash when the box is
    // ticked; failures are named in one warning. The dialog stays open.
    void DeleteTicked();

    DeleteList& Files() { return list; }
    TickList* FileListView() const { return view; }
    QCheckBox* TrashChoice() const { return trashChoice; }
    QComboBox* ActionChoice() const { return actionChoice; }
    // What Delete will do, as the dialog's choices stand.
    CleanupAction ChosenAction() const;

private:
    QPushButton* AddButton(QHBoxLayout& row, const char* objectName, const QString& text);
    // The summary and the note under the list follow the ticks and the choices.
    void UpdateSummary();

    AppSession& session;
    FileRemover& remover;
    DeleteList list;
    TickListModel<DeleteList>* model;
    TickList* view;
    QCheckBox* trashChoice;
    QComboBox* actionChoice;
    QLabel* summary;
    QLabel* undoNote;
    CleanupJournal journal;
    bool deleting = false;
};

}  // namespace twinseek
