#include "session/CommandStates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace twinseek {
namespace {

CommandFacts FilesViewWith(size_t rows) {
    CommandFacts facts;
    facts.fileListRows = rows;
    return facts;
}

CommandFacts ResultViewWith(size_t rows, size_t ticked) {
    CommandFacts facts;
    facts.filesViewShown = false;
    facts.resultViewShown = true;
    facts.fileListRows = rows;
    facts.tickedCount = ticked;
    return facts;
}

CommandFacts Comparing(CommandFacts facts, bool paused) {
    facts.comparing = true;
    facts.paused = paused;
    return facts;
}

CommandFacts Bars(bool statusBar, bool toolbar) {
    CommandFacts facts;
    facts.statusBarVisible = statusBar;
    facts.toolbarVisible = toolbar;
    return facts;
}

const std::set<CommandId> kDocumentCommands{kCommandNew, kCommandOpen, kCommandSave, kCommandSaveAs, kCommandScanDisk};

std::set<CommandId> Plus(std::set<CommandId> commands, std::initializer_list<CommandId> more) {
    commands.insert(more);
    return commands;
}

// For each state: the commands enabled and checked (all others are not), and the pause text.
TEST(CommandStatesTest, EnableCheckAndTextFollowTheViewAndTheComparison) {
    const std::set<CommandId> always{kCommandToolbar, kCommandStatusBar, kCommandFileView, kCommandResultView};
    const std::set<CommandId> idle = Plus(always, {kCommandNew, kCommandOpen, kCommandSave, kCommandSaveAs,
                                                   kCommandScanDisk});
    const std::set<CommandId> barsShown{kCommandToolbar, kCommandStatusBar};
    struct Case {
        const char* name;
        CommandFacts facts;
        std::set<CommandId> enabled;
        std::set<CommandId> checked;
        const char* pauseText;
    };
    const Case cases[] = {
        {"files view, empty list", FilesViewWith(0), idle, Plus(barsShown, {kCommandFileView}), "Pause"},
        {"files view with rows", FilesViewWith(3), Plus(idle, {kCommandCompareFiles}),
         Plus(barsShown, {kCommandFileView}), "Pause"},
        {"files view, ticked rows left in the result view", [] { auto f = FilesViewWith(3); f.tickedCount = 2; return f; }(),
         Plus(idle, {kCommandCompareFiles}), Plus(barsShown, {kCommandFileView}), "Pause"},
        {"result view, nothing ticked", ResultViewWith(3, 0), idle, Plus(barsShown, {kCommandResultView}), "Pause"},
        {"result view, ticked", ResultViewWith(3, 2), Plus(idle, {kCommandDelete}),
         Plus(barsShown, {kCommandResultView}), "Pause"},
        {"comparing", Comparing(FilesViewWith(3), false),
         Plus(always, {kCommandCompareFiles, kCommandPause, kCommandStopCompare}),
         Plus(barsShown, {kCommandFileView}), "Pause"},
        {"paused", Comparing(FilesViewWith(3), true),
         Plus(always, {kCommandCompareFiles, kCommandPause, kCommandStopCompare}),
         Plus(barsShown, {kCommandFileView}), "Resume"},
        {"paused in the result view", Comparing(ResultViewWith(3, 1), true),
         Plus(always, {kCommandPause, kCommandStopCompare, kCommandDelete}),
         Plus(barsShown, {kCommandResultView}), "Resume"},
        {"bars hidden", Bars(false, false), idle, {kCommandFileView}, "Pause"},
        {"status bar hidden", Bars(false, true), idle, {kCommandToolbar, kCommandFileView}, "Pause"},
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

TEST(CommandStatesTest, OnlyTheDocumentAndScanCommandsAreRefusedWhileComparing) {
    for (CommandId id : kTrackedCommands)
        EXPECT_EQ(RefusedWhileComparing(id), kDocumentCommands.count(id) == 1) << id;
    for (CommandId id : {kCommandExit, kCommandAbout, kCommandCopy, kNoCommand}) EXPECT_FALSE(RefusedWhileComparing(id));
}

}  // namespace
}  // namespace twinseek
