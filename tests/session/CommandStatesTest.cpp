#include "session/CommandStates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace twinseek {
namespace {

// For each state: exactly the commands enabled and checked, and the pause text.
TEST(CommandStatesTest, EnableCheckAndTextFollowTheViewAndTheComparison) {
    using Set = std::set<CommandId>;
    const Set always{kCommandToolbar, kCommandStatusBar, kCommandFileView, kCommandResultView};
    auto plus = [](Set commands, Set more) {
        commands.insert(more.begin(), more.end());
        return commands;
    };
    const Set idle = plus(always, {kCommandNew, kCommandOpen, kCommandSave, kCommandSaveAs, kCommandScanDisk,
                                   kCommandUndoCleanup});
    const Set running = plus(always, {kCommandPause, kCommandStopCompare});
    const Set filesChecked{kCommandToolbar, kCommandStatusBar, kCommandFileView};
    const Set resultsChecked{kCommandToolbar, kCommandStatusBar, kCommandResultView};
    const Set marks{kCommandMarkCopies, kCommandInvertMarks};
    // Facts: files view shown, file list rows, result view shown, ticked, comparing, paused, status bar, tool bar,
    // result rows.
    struct Case {
        const char* name;
        CommandFacts facts;
        Set enabled;
        Set checked;
        const char* pauseText;
    };
    const Case cases[] = {
        {"empty file list", {true, 0, false, 0, false, false, true, true}, idle, filesChecked, "Pause"},
        {"file list rows", {true, 3, false, 0, false, false, true, true}, plus(idle, {kCommandCompareFiles}),
         filesChecked, "Pause"},
        {"ticked rows, files view shown", {true, 3, false, 2, false, false, true, true, 4},
         plus(idle, {kCommandCompareFiles}), filesChecked, "Pause"},
        {"result view, no rows", {false, 3, true, 0, false, false, true, true, 0}, idle, resultsChecked, "Pause"},
        {"result view, none ticked", {false, 3, true, 0, false, false, true, true, 4}, plus(idle, marks),
         resultsChecked, "Pause"},
        {"result view, ticked", {false, 3, true, 2, false, false, true, true, 4},
         plus(plus(idle, marks), {kCommandDelete, kCommandUnmarkAll}), resultsChecked, "Pause"},
        {"comparing", {true, 3, false, 0, true, false, true, true}, plus(running, {kCommandCompareFiles}),
         filesChecked, "Pause"},
        {"paused", {true, 3, false, 0, true, true, true, true}, plus(running, {kCommandCompareFiles}), filesChecked,
         "Resume"},
        {"paused, result view ticked", {false, 3, true, 1, true, true, true, true, 4},
         plus(plus(running, marks), {kCommandDelete, kCommandUnmarkAll}), resultsChecked, "Resume"},
        {"bars hidden", {true, 0, false, 0, false, false, false, false}, idle, {kCommandFileView}, "Pause"},
        {"status bar hidden", {true, 0, false, 0, false, false, false, true}, idle,
         {kCommandToolbar, kCommandFileView}, "Pause"},
    };
    for (const Case& c : cases) {
        for (CommandId id : kTrackedCommands) {
            const CommandState state = ComputeCommandState(id, c.facts);
            EXPECT_EQ(state.enabled, c.enabled.count(id) == 1) << c.name << ", command " << id;
            EXPECT_EQ(state.checked, c.checked.count(id) == 1) << c.name << ", command " << id;
            EXPECT_EQ(std::string(state.text), id == kCommandPause ? c.pauseText : "") << c.name << ", command " << id;
        }
    }
}

TEST(CommandStatesTest, OnlyTheDocumentScanAndUndoCommandsAreRefusedWhileComparing) {
    const std::set<CommandId> refused{kCommandNew,    kCommandOpen,     kCommandSave,
                                      kCommandSaveAs, kCommandScanDisk, kCommandUndoCleanup};
    for (CommandId id : kTrackedCommands) EXPECT_EQ(RefusedWhileComparing(id), refused.count(id) == 1) << id;
    for (CommandId id : {kCommandExit, kCommandAbout, kCommandCopy}) EXPECT_FALSE(RefusedWhileComparing(id)) << id;
}

}  // namespace
}  // namespace twinseek
