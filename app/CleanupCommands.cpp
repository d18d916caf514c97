#include "app/CleanupCommands.h"

#include "app/DeleteDialog.h"
#include "controls/WaitCursor.h"
#include "session/AppSession.h"
#include "session/CleanupUndo.h"
#include "session/CommandTable.h"
#include "session/DiskFileRemover.h"
#include "views/ResultView.h"

#include <QMessageBox>

namespace twinseek {

namespace {

void UndoLastCleanup(AppSession& session, QWidget* parent) {
    UndoReport report;
    {
        WaitCursor wait;
        CleanupJournal journal;
        report = UndoLastCleanup(journal);
        std::vector<std::string> back = report.restored;
        for (const auto& [taken, beside] : report.besideTaken) back.push_back(beside);
        session.Doc().TakeBackFiles(back);
    }
    const bool troubled = report.journalError != 0 || !report.failures.empty() || !report.besideTaken.empty();
    QMessageBox box(troubled ? QMessageBox::Warning : QMessageBox::Information,
                    troubled ? kDeletionWarningTitle : kNotifyTitle, QString::fromUtf8(DescribeUndo(report)),
                    QMessageBox::Ok, parent);
    box.setObjectName("undoReport");
    box.exec();
}

}  // namespace

bool RunCleanupCommand(CommandId id, AppSession& session, ResultView& results, QWidget* parent) {
    switch (id) {
    case kCommandDelete: {
        if (results.TickedCount() == 0) return true;
        DiskFileRemover remover;
        DeleteDialog dialog(session, results.TickedFiles(), remover, parent);
        dialog.exec();
        // Each Delete that acted on files has had the document rebuild the
        // result view and the files view already: nothing is left to redo.
        return true;
    }
    case kCommandUndoCleanup:
        UndoLastCleanup(session, parent);
        return true;
    default:
        return false;
    }
}

}  // namespace twinseek
