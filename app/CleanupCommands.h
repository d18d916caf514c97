// The cleanup commands: Delete runs the delete dialog over the files ticked in
// the result view; Undo Last Cleanup brings back the files of the last
// journaled cleanup and takes them into the catalogue as not compared.
#pragma once

#include "session/CommandStates.h"

class QWidget;

namespace twinseek {

class AppSession;
class ResultView;

// Runs id if it is one of the cleanup commands; false for any other command.
// The caller has refused it already while a comparison runs.
bool RunCleanupCommand(CommandId id, AppSession& session, ResultView& results, QWidget* parent);

}  // namespace twinseek
