// What the main window's menus, tool bar and keys show and send: the four
// menus, the tool-bar entries, the accelerator keys, and each command's
// status-bar prompt and tool-bar tip.
#pragma once

#include "session/CommandStates.h"

#include <span>

namespace twinseek {

struct CommandText {
    CommandId id;
    // "&New\tCtrl+N": the mnemonic and, after the tab, the key shown in the menu.
    const char* menuText;
    // The label under the tool-bar image; null for commands not on the tool bar.
    const char* toolBarLabel;
    // Shown in the status bar while the item is highlighted in a menu; null for none.
    const char* prompt;
    // The tool-bar button's tip; null for none.
    const char* tip;
};

struct MenuTable {
    const char* title;
    // kNoCommand stands for a separator.
    std::span<const CommandId> items;
};

struct Accelerator {
    // In the portable key-sequence notation, e.g. "Ctrl+N", "Alt+Backspace".
    const char* keys;
    CommandId id;
};

// The texts of id, or null for an id that has none.
const CommandText* FindCommandText(CommandId id);

// The four menus, left to right.
std::span<const MenuTable> Menus();
// The thirteen tool-bar entries, kNoCommand for a separator.
std::span<const CommandId> ToolBarEntries();
// Every key the main window translates, with its command. Only New, Open and
// Save have handlers; the other keys are consumed and do nothing.
std::span<const Accelerator> Accelerators();

inline constexpr char kProgramTitle[] = "Twinseek";
inline constexpr char kReadyText[] = "Ready";
inline constexpr char kNotifyTitle[] = "Notify";
inline constexpr char kCloseWhileComparingText[] = "Are you sure stop compare and exit?";
inline constexpr char kAboutVersionText[] = "Twinseek Version 1.0.0.1";

}  // namespace twinseek
