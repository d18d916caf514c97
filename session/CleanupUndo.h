// Undoes the last journaled cleanup on the disk: files sent to the Trash go
// back to their paths (a path taken since is not overwritten: the file comes
// back beside it, and the report says so), and files replaced by a hard link
// or a clone become separate files again with the same bytes and their old
// mode, owner (where allowed) and times. Files removed for good cannot come back.
#pragma once

#include "session/CleanupJournal.h"
#include "session/FileDeletion.h"

#include <cstddef>
#include <string>
#include <vector>

namespace twinseek {

struct UndoReport {
    bool found = false;  // there was a cleanup to undo
    int journalError = 0;  // the journal could not be read
    std::string time;    // when that cleanup ran
    CleanupAction action = CleanupAction::Trash;
    std::vector<std::string> restored;                            // paths the files are back at
    std::vector<std::pair<std::string, std::string>> besideTaken;  // path taken, and where the file came back
    std::vector<DeletionFailure> failures;
};

UndoReport UndoLastCleanup(CleanupJournal& journal);

// What the user is told after an undo.
std::string DescribeUndo(const UndoReport& report, size_t maxListed = 20);

}  // namespace twinseek
