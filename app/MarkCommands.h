// The result view's mark commands: Mark Copies runs its dialog with the rules
// last used (kept in the user's settings) over every group or the category
// chosen in the group tree; Unmark All and Invert Marks act at once.
#pragma once

#include "session/CommandStates.h"

class QWidget;

namespace twinseek {

class ResultView;

// Runs id if it is one of the mark commands; false for any other command.
bool RunMarkCommand(CommandId id, ResultView& results, QWidget* parent);

}  // namespace twinseek
