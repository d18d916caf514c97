#include "app/ScanDiskCommand.h"

#include "app/ScanWizard.h"
#include "controls/WaitCursor.h"
#include "session/AppSession.h"
#include "session/ScanWizardFlow.h"
#include "views/FilesView.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

namespace twinseek {

namespace {

ContextHelp& ProgramContextHelp() {
    static ContextHelp help(LoadPlatformHelpEngine);
    return help;
}

}  // namespace

void RunScanDisk(AppSession& session, FilesView& files, const DirectoryListing& listing, const DriveSource& drives) {
    ScanWizardData data;
    const bool finished = RunScanWizard(data, session.Doc(), listing, drives, ShowContextHelp);
    WaitCursor wait;
    session.Doc().CommitScan(finished);
    if (!finished) return;
    files.Refresh();
    const std::vector<uint32_t> ids = AutoCompareCategories();
    if (!ids.empty()) session.CompareCategories(ids);
}

void ShowContextHelp(const HelpRequest& request) {
    const std::string program = QFile::encodeName(QApplication::applicationFilePath()).toStdString();
    if (!ProgramContextHelp().Fails(program, request)) return;
    QMessageBox error(QMessageBox::Critical, QString::fromUtf8(kContextHelpFailedTitle),
                      QString::fromUtf8(kContextHelpFailedText), QMessageBox::Ok, QApplication::activeWindow());
    error.setObjectName("contextHelpError");
    error.setAccessibleName(QString::fromUtf8(kContextHelpFailedTitle));
    error.exec();
}

int ContextHelpLoadAttempts() { return ProgramContextHelp().LoadAttempts(); }

}  // namespace twinseek
