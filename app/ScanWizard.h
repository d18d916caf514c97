// The Disk Scan Wizard: the welcome page (passed over at start), the folder
// tree to tick, the sizes to compare afterwards, the scan running, and the
// completing page. The scanned files are provisional records of the document
// when it ends; its caller commits or discards them.
#pragma once

#include "scan/DirectoryListing.h"
#include "scan/DriveList.h"
#include "session/ContextHelp.h"
#include "session/ScanWizardFlow.h"

#include <QWizard>

#include <functional>

namespace twinseek {

class CheckFolderTree;
class Document;
class ScanningPage;

class ScanWizard final : public QWizard {
    Q_OBJECT
public:
    // Answers a help request on a control of the wizard.
    using HelpHandler = std::function<void(const HelpRequest&)>;

    // data, document, listing and drives must outlive the wizard. The wizard
    // stands on its folder page when made.
    ScanWizard(ScanWizardData& data, Document& document, const DirectoryListing& listing, const DriveSource& drives,
               HelpHandler help, QWidget* parent = nullptr);
    ~ScanWizard() override;

    // The pages follow one another by their table, not by their ids.
    int nextId() const override;
    // Whichever way the wizard ends, the scan is stopped and its thread has
    // ended before this returns.
    void done(int result) override;

    CheckFolderTree& FolderTree() const { return *folderTree; }
    // Whether a scan was started, and whether its thread has ended since.
    bool ScanStarted() const;
    bool ScanEnded() const;

signals:
    // The scanning page has shown the progress that arrived; the scan's end is
    // acted on after this.
    void scanProgressShown(bool scanDone);

protected:
    // F1 or What's This on a control asks for its context help.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPageCaption(int id);

    HelpHandler help;
    CheckFolderTree* folderTree = nullptr;
    ScanningPage* scanningPage = nullptr;
};

// Runs the wizard modally over the active window; true when it ended through Finish.
bool RunScanWizard(ScanWizardData& data, Document& document, const DirectoryListing& listing,
                   const DriveSource& drives, ScanWizard::HelpHandler help);

}  // namespace twinseek
