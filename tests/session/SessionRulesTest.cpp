// The session's rules that need no files: progress percentages, startup
// arguments, command states, the scan wizard's flow, band and window layouts
// as saved, and the comparison's progress as the status bar shows it.
#include "session/BandLayout.h"
#include "session/CommandStates.h"
#include "session/ComparisonProgress.h"
#include "session/ContextHelp.h"
#include "session/ProgressPercent.h"
#include "session/ScanWizardFlow.h"
#include "session/StartupArguments.h"
#include "session/WindowPlacement.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace twinseek {
namespace {

// The status bar's per-step percentages are left to this test.
TEST(ProgressPercentTest, EveryPositionShowsItsWholePercentRoundedDownAndEdgesStayWithinTheScale) {
    const std::tuple<int64_t, int32_t, int> cases[] = {
        {1, 3, 33}, {2, 3, 66}, {3, 3, 100}, {1, 12345, 0}, {12344, 12345, 99}, {0, 10, 0}, {1, 0, 0},
        {5, -3, 0}, {-1, 10, 0}, {11, 10, 100}, {2'000'000'000, 2'100'000'000, 95}};  // the last past 32 bits
    for (const auto& [position, range, percent] : cases)
        EXPECT_EQ(ProgressPercent(position, range), percent) << position << "/" << range;
}

TEST(StartupArgumentsTest, OneDocumentHelpOrAMistake) {
    const std::tuple<std::vector<std::string>, std::optional<std::string>, bool, std::string> table[] = {
        {{"-"}, "-", false, ""},
        {{"--", "-odd.tws"}, "-odd.tws", false, ""},
        {{"--help"}, std::nullopt, true, ""},
        {{"a.tws", "-h"}, "a.tws", true, ""},
        {{"-x", "a.tws"}, "a.tws", false, "twinseek: unknown option -x"},
        {{"a.tws", "b.tws", "-y"}, "a.tws", false, "twinseek: one document at a time; also given b.tws"},
    };
    for (const auto& [arguments, document, help, error] : table) {
        const StartupRequest request = ParseStartupArguments(arguments);
        SCOPED_TRACE(arguments.front());
        EXPECT_EQ(request.documentPath, document);
        EXPECT_EQ(request.showHelp, help);
        EXPECT_EQ(request.error, error);
    }
}

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
    // Facts: files view shown, file list rows, result view shown, ticked, comparing, paused, status bar, tool bar,
    // result rows.
    const std::tuple<const char*, CommandFacts, Set, Set, const char*> cases[] = {
        {"empty file list", {true, 0, false, 0, false, false, true, true}, idle, filesChecked, "Pause"},
        {"result view without groups", {false, 3, true, 0, false, false, true, true, 0}, idle, resultsChecked, "Pause"},
        {"result view, ticked", {false, 3, true, 2, false, false, true, true, 4},
         plus(idle, {kCommandMarkCopies, kCommandInvertMarks, kCommandDelete, kCommandUnmarkAll}), resultsChecked,
         "Pause"},
        {"paused", {true, 3, false, 0, true, true, true, true}, plus(running, {kCommandCompareFiles}), filesChecked,
         "Resume"},
        {"status bar hidden", {true, 0, false, 0, false, false, false, true}, idle,
         {kCommandToolbar, kCommandFileView}, "Pause"},
    };
    for (const auto& [name, facts, enabled, checked, pauseText] : cases) {
        for (CommandId id : kTrackedCommands) {
            const CommandState state = ComputeCommandState(id, facts);
            EXPECT_EQ(state.enabled, enabled.count(id) == 1) << name << ", command " << id;
            EXPECT_EQ(state.checked, checked.count(id) == 1) << name << ", command " << id;
            EXPECT_EQ(std::string(state.text), id == kCommandPause ? pauseText : "") << name << ", command " << id;
        }
    }
}

TEST(ScanWizardFlowTest, PagesFollowTheirTableBackLeavesOnlyTheChoosingPagesAndTheWelcomePageSkipsOnlyAtFirst) {
    std::vector<int> walked;
    for (int id = kWelcomePageId; id != -1; id = NextWizardPage(id)) walked.push_back(id);
    EXPECT_EQ(walked, (std::vector<int>{107, 201, 213, 202, 203}));
    EXPECT_EQ(WizardPageOf(kWelcomePageId).headerTitle, nullptr) << "exterior pages have no header";
    for (int id : walked) EXPECT_EQ(WizardBackAllowed(id), id == kFolderPageId || id == kSizePageId) << id;

    ScanWizardData data;
    WelcomeStep step(data);
    EXPECT_TRUE(step.SkipTickedAtStart()) << "made with showWelcome false";
    EXPECT_TRUE(step.SkipOnActivation(true));
    EXPECT_FALSE(step.SkipOnActivation(true)) << "Back must reach it";
    WelcomeStep::LeaveWithNext(data, false);
    EXPECT_TRUE(data.showWelcome);
    EXPECT_FALSE(WelcomeStep(data).SkipOnActivation(false)) << "the box cleared";

    ScanProgressCount count;
    count.StatusArrived(1);  // "Initialize..."
    count.StatusArrived(41);
    EXPECT_EQ(ScanProgressCount::FoundText(1234, count.Folders()), "Find 1234 Files in 42 Folders");
}

// A failed load is remembered, as the wizard's F1 shows; an engine that loads is asked
// with the topics file beside the program, and a page's own context is not asked for.
TEST(ContextHelpTest, TheEngineIsLoadedOnceAndAskedWithTheTopicsFileBesideTheProgram) {
    std::vector<std::string> asked;
    ContextHelp present([&] {
        return ContextHelp::Engine([&](const std::string& topics, const HelpRequest&) {
            asked.push_back(topics);
            return asked.size() == 1;
        });
    });
    EXPECT_FALSE(present.Fails("/usr/bin/twinseek", {1000, 7})) << "a page's own context is not asked for";
    EXPECT_FALSE(present.Fails("/opt/tw.s/twinseek.bin", {1000, 0}));
    EXPECT_TRUE(present.Fails("/opt/tw.s/twinseek", {1000, 0})) << "an engine that shows nothing fails too";
    EXPECT_EQ(asked, (std::vector<std::string>{"/opt/tw.s/twinseek.chm::/Context.txt",
                                               "/opt/tw.s/twinseek.chm::/Context.txt"}));
    EXPECT_EQ(present.LoadAttempts(), 1);
    EXPECT_FALSE(LoadPlatformHelpEngine()) << "Linux has no help engine";
}

// Settings as a person may have left them; a value that is not a number reads as missing.
class FakeNumbers : public SettingsNumbers {
public:
    std::optional<int64_t> ReadNumber(const std::string& name) const override {
        const auto found = values.find(name);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
    void WriteNumber(const std::string& name, int64_t value) override { values[name] = value; }
    std::map<std::string, int64_t> values;
};

const std::vector<Band> kCreated = {{kMenuBandId, 900, false}, {kToolBandId, 900, true}};

TEST(BandLayoutTest, DamagedValuesChangeNothingTheyShouldNot) {
    const RestoredBand menuAsCreated{kCreated[0], false};
    const RestoredBand toolAsCreated{kCreated[1], false};
    const RestoredBand toolFirst{{kToolBandId, 900, false}, false};
    const std::tuple<const char*, std::map<std::string, int64_t>, std::vector<RestoredBand>> table[] = {
        {"nothing saved", {}, {menuAsCreated, toolAsCreated}},
        {"count negative", {{"ReBarBandCount", -1}, {"ReBar0ID", kToolBandId}}, {menuAsCreated, toolAsCreated}},
        {"count missing", {{"ReBar0ID", kToolBandId}}, {menuAsCreated, toolAsCreated}},
        {"count beyond the bands",
         {{"ReBarBandCount", 5}, {"ReBar0ID", kToolBandId}, {"ReBar2ID", kMenuBandId}, {"ReBar2CX", 10}},
         {toolFirst, menuAsCreated}},
        {"unknown id keeps the position as it is",
         {{"ReBarBandCount", 2}, {"ReBar0ID", 12345}, {"ReBar0CX", 50}, {"ReBar1ID", kToolBandId}, {"ReBar1CX", 70}},
         {menuAsCreated, {{kToolBandId, 70, true}, true}}},
        {"negative and huge widths, odd breaks",
         {{"ReBarBandCount", 2}, {"ReBar0ID", kToolBandId}, {"ReBar0CX", -1}, {"ReBar0BreakLine", 1},
          {"ReBar1ID", kMenuBandId}, {"ReBar1CX", int64_t(1) << 32}, {"ReBar1BreakLine", 7}},
         {toolFirst, menuAsCreated}},
        {"same id twice moves the band on and keeps both ids",
         {{"ReBarBandCount", 2}, {"ReBar0ID", kMenuBandId}, {"ReBar1ID", kMenuBandId}, {"ReBar1BreakLine", 1}},
         {{{kToolBandId, 900, false}, false}, {{kMenuBandId, 900, true}, false}}},
    };
    for (const auto& [what, values, expected] : table) {
        FakeNumbers settings;
        settings.values = values;
        EXPECT_EQ(RestoreBandLayout(settings, "ReBar", kCreated), expected) << what;
    }
}

TEST(WindowPlacementTest, RecordIsLittleEndianAndRoundTripsAndOpensNoLargerThanItsScreenWithItsTopEdgeWithinReach) {
    const WindowPlacement placement{kRestoreToMaximized, kShowMinimized, -1, -2, 3, 4, {-100, 20, 1180, 0x12345678}};
    const auto record = EncodePlacement(placement);
    const std::vector<uint8_t> head(record.begin(), record.begin() + 16);
    EXPECT_EQ(head, (std::vector<uint8_t>{44, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}));
    EXPECT_EQ(record[40], 0x78);
    EXPECT_EQ(record[43], 0x12);
    EXPECT_EQ(DecodePlacement(record), placement);
    // Records of the wrong size or length field are tried through the settings in the widget tests.
    EXPECT_FALSE(DecodePlacement({}));

    // A wide screen with a panel along its top, and a smaller one to its right.
    const std::vector<PlacementRect> areas = {{0, 32, 1920, 1080}, {1920, 0, 3200, 1024}};
    const PlacementRect centred{560, 256, 1360, 856};  // 800 x 600 in the middle of the left one
    const std::tuple<const char*, PlacementRect, std::optional<PlacementRect>> table[] = {
        {"on a screen", {100, 100, 900, 700}, PlacementRect{100, 100, 900, 700}},
        {"one column of its edge on the screen", {-799, 100, 1, 700}, centred},
        {"its top above the screen: the title bar out of reach", {100, -40, 900, 560}, centred},
        {"its top edge at the foot of the screen", {100, 1060, 900, 1660}, centred},
        {"on both screens, taller than the second", {1820, 0, 2620, 2000}, PlacementRect{1820, 0, 2620, 1024}},
        {"as wide as numbers go", {INT32_MIN, 100, INT32_MAX, 600}, PlacementRect{0, 306, 1920, 806}},
    };
    for (const auto& [what, saved, expected] : table)
        EXPECT_EQ(PlaceOnScreens(saved, areas, 0), expected) << what;
    EXPECT_EQ(PlaceOnScreens({4000, 0, 4800, 600}, areas, 1), (PlacementRect{2160, 212, 2960, 812})) << "another primary";
    EXPECT_FALSE(PlaceOnScreens({4000, 0, 4800, 600}, {}, 0)) << "no screen at all";
}

constexpr uint64_t kQueued = 100000;

// A comparison of kQueued bytes of which done are read, the first file half read.
ComparisonProgress::Snapshot Reading(uint64_t done) { return {true, kQueued, 0, done, 50, 100}; }

// Panes 3, 4 and 5.
std::string Panes(const ComparisonProgress& progress) {
    return progress.PercentText() + "|" + progress.ElapsedText() + "|" + progress.LeftText();
}

TEST(ComparisonProgressTest, TimeLeftComesAfterAFewSecondsAStallBlanksItAndTheEndIsToldOnceWithTheGroupsFound) {
    ComparisonProgress progress;
    EXPECT_EQ(Panes(progress), "||") << "before any comparison";
    // 1000 bytes a second, an update a second.
    for (uint32_t tick = 0; tick <= 2000; tick += 1000) EXPECT_FALSE(progress.Update(tick, Reading(tick)));
    EXPECT_EQ(Panes(progress), "Percent: 2%   50%|Elapsed: 00:00:02|");
    for (uint32_t tick = 3000; tick <= 10000; tick += 1000) progress.Update(tick, Reading(tick));
    EXPECT_EQ(Panes(progress), "Percent: 10%   50%|Elapsed: 00:00:10|Left: 00:01:30");
    ASSERT_EQ(progress.MillisLeft(), 90000u);
    // Stuck at 10000 bytes: the rate of the last ten seconds falls, then is none.
    progress.Update(15000, Reading(10000));
    EXPECT_EQ(progress.LeftText(), "Left: 00:03:00") << "5000 bytes in the last ten seconds";
    progress.Update(21000, Reading(10000));
    EXPECT_EQ(Panes(progress), "Percent: 10%   50%|Elapsed: 00:00:21|") << "the clock runs on, nothing is left to tell";
    // Updates seconds apart measure again, from the last one before the window:
    // 10000 bytes in 15 seconds, 80000 to go.
    progress.Update(31000, Reading(10000));
    progress.Update(36000, Reading(20000));
    EXPECT_EQ(progress.LeftText(), "Left: 00:02:00");

    // The end is told once and keeps the time it took; the next comparison counts
    // only its own bytes, and a stop takes what it cancelled out of the queue.
    EXPECT_TRUE(progress.Update(37000, {false, kQueued, kQueued, 0, 0, 0}));
    EXPECT_FALSE(progress.Stopped());
    EXPECT_FALSE(progress.Update(38000, {false, kQueued, kQueued, 0, 0, 0}));
    EXPECT_EQ(Panes(progress), "|Elapsed: 00:00:37|");
    progress.Update(50000, {true, kQueued + 50000, kQueued + 25000, 0, 0, 10});
    EXPECT_EQ(Panes(progress), "Percent: 50%   0%|Elapsed: 00:00:00|");
    EXPECT_TRUE(progress.Update(51000, {false, kQueued + 30000, kQueued + 30000, 0, 0, 0}));
    EXPECT_TRUE(progress.Stopped());

    // The end's text counts groups and the bytes of their extra copies.
    auto root = testing::MakeRoot();
    DuplicateIndex index;
    EXPECT_EQ(ComparisonEndText(index, false), "Comparison finished: no duplicates found");
    for (const char* name : {"a1", "a2", "a3"}) index.Insert(testing::AddFile(root.get(), name, 2048, std::string(32, 'A')));
    index.Insert(testing::AddFile(root.get(), "alone", 2048, std::string(32, 'B')));
    EXPECT_EQ(ComparisonEndText(index, true), "Comparison stopped: 1 duplicate group; its extra copies hold 4.0 KB");
    for (const char* name : {"b1", "b2"}) index.Insert(testing::AddFile(root.get(), name, 100, std::string(32, 'B')));
    EXPECT_EQ(ComparisonEndText(index, false), "Comparison finished: 2 duplicate groups; their extra copies hold 4.0 KB");
}

}  // namespace
}  // namespace twinseek
