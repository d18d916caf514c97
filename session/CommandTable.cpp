#include "session/CommandTable.h"

#include <algorithm>
#include <array>

namespace twinseek {

namespace {

constexpr CommandText kCommandTexts[] = {
    {kCommandNew, "&New\tCtrl+N", "New", "Create a new document", "New"},
    {kCommandOpen, "&Open...\tCtrl+O", "Open", "Open an existing document", "Open"},
    {kCommandSave, "&Save\tCtrl+S", "Save", "Save the active document", "Save"},
    {kCommandSaveAs, "Save &As...", nullptr, "Save the active document with a new name", nullptr},
    {kCommandExit, "E&xit", nullptr, "Quit the application; prompts to save documents", nullptr},
    {kCommandScanDisk, "&Scan Disk...", "Scan", "Scan disk for qualified files", "Scan Disk"},
    {kCommandCompareFiles, "&Compare Files", "Compare", nullptr, nullptr},
    {kCommandPause, "&Pause", "Pause", nullptr, nullptr},
    {kCommandStopCompare, "S&top Compare", "Stop", nullptr, nullptr},
    {kCommandDelete, "&Delete...", "Delete", nullptr, nullptr},
    {kCommandFileView, "&File View", "Files View", nullptr, nullptr},
    {kCommandResultView, "&Result View", "Result View", nullptr, nullptr},
    {kCommandToolbar, "&Toolbar", nullptr, "Show or hide the toolbar", nullptr},
    {kCommandStatusBar, "&Status Bar", nullptr, "Show or hide the status bar", nullptr},
    {kCommandMarkCopies, "&Mark Copies...", nullptr, "Tick every copy but one in each group, by a rule", nullptr},
    {kCommandUnmarkAll, "&Unmark All", nullptr, "Clear every tick", nullptr},
    {kCommandInvertMarks, "&Invert Marks", nullptr, "Tick the files that are clear and clear the ticked ones",
     nullptr},
    {kCommandUndoCleanup, "U&ndo Last Cleanup", nullptr,
     "Bring back the files of the last cleanup, from the Trash or as separate copies", nullptr},
    {kCommandAbout, "&About Twinseek...", nullptr, "Display program information and version number", nullptr},
};

constexpr CommandId kFileMenu[] = {kCommandNew, kCommandOpen, kCommandSave, kCommandSaveAs, kNoCommand, kCommandExit};
constexpr CommandId kActionMenu[] = {kCommandScanDisk,   kCommandCompareFiles, kCommandPause,    kCommandStopCompare,
                                     kNoCommand,         kCommandDelete,       kNoCommand,       kCommandMarkCopies,
                                     kCommandUnmarkAll,  kCommandInvertMarks,  kNoCommand,       kCommandUndoCleanup};
constexpr CommandId kViewMenu[] = {kCommandFileView, kCommandResultView, kNoCommand, kCommandToolbar,
                                   kCommandStatusBar};
constexpr CommandId kHelpMenu[] = {kCommandAbout};

constexpr std::array<MenuTable, 4> kMenus{{
    {"&File", kFileMenu},
    {"&Action", kActionMenu},
    {"&View", kViewMenu},
    {"&Help", kHelpMenu},
}};

constexpr std::array<CommandId, 13> kToolBar{
    kCommandNew,    kCommandOpen,        kCommandSave, kNoCommand,       kCommandScanDisk,
    kCommandCompareFiles, kCommandPause, kCommandStopCompare, kNoCommand, kCommandDelete,
    kNoCommand,     kCommandFileView,    kCommandResultView,
};

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+N", kCommandNew},         {"Ctrl+O", kCommandOpen},         {"Ctrl+S", kCommandSave},
    {"Ctrl+P", kCommandPrint},       {"Ctrl+Z", kCommandUndo},         {"Alt+Backspace", kCommandUndo},
    {"Ctrl+X", kCommandCut},         {"Shift+Delete", kCommandCut},    {"Ctrl+C", kCommandCopy},
    {"Ctrl+Insert", kCommandCopy},   {"Ctrl+V", kCommandPaste},        {"Shift+Insert", kCommandPaste},
    {"F6", kCommandNextPane},        {"Shift+F6", kCommandPreviousPane},
};

}  // namespace

const CommandText* FindCommandText(CommandId id) {
    auto found = std::find_if(std::begin(kCommandTexts), std::end(kCommandTexts),
                              [id](const CommandText& text) { return text.id == id; });
    return found == std::end(kCommandTexts) ? nullptr : &*found;
}

std::span<const MenuTable> Menus() { return kMenus; }

std::span<const CommandId> ToolBarEntries() { return kToolBar; }

std::span<const Accelerator> Accelerators() { return kAccelerators; }

}  // namespace twinseek
