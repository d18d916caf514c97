#include "session/CommandStates.h"

namespace twinseek {

bool RefusedWhileComparing(CommandId id) {
    switch (id) {
    case kCommandNew:
    case kCommandOpen:
    case kCommandSave:
    case kCommandSaveAs:
    case kCommandScanDisk:
    case kCommandUndoCleanup:
        return true;
    default:
        return false;
    }
}

CommandState ComputeCommandState(CommandId id, const CommandFacts& facts) {
    CommandState state;
    if (RefusedWhileComparing(id)) {
        state.enabled = !facts.comparing;
        return state;
    }
    switch (id) {
    case kCommandToolbar:
        state.checked = facts.toolbarVisible;
        break;
    case kCommandStatusBar:
        state.checked = facts.statusBarVisible;
        break;
    case kCommandFileView:
        state.checked = facts.filesViewShown;
        break;
    case kCommandResultView:
        state.checked = facts.resultViewShown;
        break;
    case kCommandCompareFiles:
        state.enabled = facts.filesViewShown && facts.fileListRows > 0;
        break;
    case kCommandPause:
        // Neither text has a mnemonic: the menu's "&Pause" loses it at the first update.
        state.enabled = facts.comparing;
        state.text = facts.paused ? "Resume" : "Pause";
        break;
    case kCommandStopCompare:
        state.enabled = facts.comparing;
        break;
    case kCommandDelete:
        state.enabled = facts.resultViewShown && facts.tickedCount > 0;
        break;
    case kCommandUnmarkAll:
        state.enabled = facts.resultViewShown && facts.tickedCount > 0;
        break;
    case kCommandMarkCopies:
    case kCommandInvertMarks:
        state.enabled = facts.resultViewShown && facts.resultRows > 0;
        break;
    default:
        break;
    }
    return state;
}

}  // namespace twinseek
