// twinseek-cli clean: one file of each group of a document kept by a rule, the
// others trashed, removed, or replaced by a link to or a clone of the kept
// copy, each after its checks, journaled; or, with --dry-run, the plan of it.
// And twinseek-cli undo, which undoes the last journaled cleanup.
#pragma once

#include "cli/CliOptions.h"
#include "cli/StatusLine.h"
#include "session/FileDeletion.h"

namespace twinseek {

class CliSession;

// Cleans the document open in session as options say; the exit status.
int RunClean(const CliOptions& options, CliSession& session);
int RunUndo();

// Shows on status how far the checks before removal have come.
DeletionHooks CheckingProgress(StatusLine& status);

}  // namespace twinseek
