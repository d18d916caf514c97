// The Scan Disk command: the wizard run modally, its scan committed or
// discarded, the files view brought up to date, and the sizes ticked in the
// wizard compared at once. Also the context help its controls ask for.
#pragma once

#include "scan/DirectoryListing.h"
#include "scan/DriveList.h"
#include "session/ContextHelp.h"

namespace twinseek {

class AppSession;
class FilesView;

// drives gives the folder tree's top-level items (the mounted drives in the program).
void RunScanDisk(AppSession& session, FilesView& files, const DirectoryListing& listing, const DriveSource& drives);

// The program's context help: the help engine is looked for once for the
// whole run, and a request that shows nothing says so in a message box.
void ShowContextHelp(const HelpRequest& request);
// How often the help engine was looked for in this run.
int ContextHelpLoadAttempts();

}  // namespace twinseek
