// The commands of the main window by number, and the rules that decide after
// every burst of events which of them are enabled, which are checked, and
// what the pause command reads.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace twinseek {

enum CommandId : int {
    kNoCommand = 0,  // a separator in the menu and tool-bar tables
    kCommandNew = 57600,
    kCommandOpen = 57601,
    kCommandSave = 57603,
    kCommandSaveAs = 57604,
    kCommandPrint = 57607,
    kCommandCopy = 57634,
    kCommandCut = 57635,
    kCommandPaste = 57637,
    kCommandUndo = 57643,
    kCommandAbout = 57664,
    kCommandExit = 57665,
    kCommandNextPane = 57680,
    kCommandPreviousPane = 57681,
    kCommandScanDisk = 32779,
    kCommandCompareFiles = 32781,
    kCommandPause = 32782,
    kCommandDelete = 32783,
    kCommandFileView = 32787,
    kCommandResultView = 32789,
    kCommandStopCompare = 32790,
    kCommandMarkCopies = 32791,
    kCommandUnmarkAll = 32792,
    kCommandInvertMarks = 32793,
    kCommandUndoCleanup = 32794,
    kCommandToolbar = 59392,
    kCommandStatusBar = 59393,
};

// The commands whose state the idle update recomputes; Exit and About are
// always enabled and are not among them.
inline constexpr std::array<CommandId, 17> kTrackedCommands{
    kCommandToolbar,     kCommandStatusBar,    kCommandNew,         kCommandOpen,  kCommandSave,
    kCommandSaveAs,      kCommandScanDisk,     kCommandCompareFiles, kCommandPause, kCommandStopCompare,
    kCommandDelete,      kCommandFileView,     kCommandResultView,  kCommandMarkCopies, kCommandUnmarkAll,
    kCommandInvertMarks, kCommandUndoCleanup,
};

// What the rules read: the window's state and the comparison's.
struct CommandFacts {
    bool filesViewShown = true;
    size_t fileListRows = 0;
    bool resultViewShown = false;
    size_t tickedCount = 0;
    // A comparison is in progress exactly while the Comparing list has rows.
    bool comparing = false;
    bool paused = false;
    bool statusBarVisible = true;
    // The tool-bar flag, which only the Toolbar command changes.
    bool toolbarVisible = true;
    // Rows of the result view's file list.
    size_t resultRows = 0;
};

struct CommandState {
    bool enabled = true;
    bool checked = false;
    // A menu text to set, or empty to keep the one the menu has.
    std::string_view text;
};

CommandState ComputeCommandState(CommandId id, const CommandFacts& facts);

// New, Open, Save, Save As, Scan Disk and Undo Last Cleanup are refused while
// comparing, even when reached by a key while greyed.
bool RefusedWhileComparing(CommandId id);

inline constexpr char kRefusedWhileComparingText[] = "Can't to process when comparing files!";

}  // namespace twinseek
