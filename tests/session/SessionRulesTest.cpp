// The session's rules and models that need no files on disk: progress percentages,
// startup arguments, command states, the wizard's flow, saved band and window layouts,
// the comparison's progress; the result view's groups, highlight, ticks and marks as a
// follower sees them by their notices; the files view's category tree and file list.
#include "document/HeadlessPrompts.h"
#include "session/BandLayout.h"
#include "session/CategoryTree.h"
#include "session/CommandStates.h"
#include "session/ComparisonProgress.h"
#include "session/ContextHelp.h"
#include "session/FileList.h"
#include "session/MarkRules.h"
#include "session/ProgressPercent.h"
#include "session/ResultColumns.h"
#include "session/ResultModel.h"
#include "session/ScanWizardFlow.h"
#include "session/StartupArguments.h"
#include "session/WindowPlacement.h"
#include "tests/catalog/CatalogTestSupport.h"
#include "tests/compare/CompareTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace twinseek {
namespace {

using testing::EntryNamed;

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
        {"empty file list, status bar hidden", {true, 0, false, 0, false, false, false, true}, idle,
         {kCommandToolbar, kCommandFileView}, "Pause"},
        {"result view without groups", {false, 3, true, 0, false, false, true, true, 0}, idle, resultsChecked, "Pause"},
        {"result view, ticked", {false, 3, true, 2, false, false, true, true, 4},
         plus(idle, {kCommandMarkCopies, kCommandInvertMarks, kCommandDelete, kCommandUnmarkAll}), resultsChecked,
         "Pause"},
        {"paused", {true, 3, false, 0, true, true, true, true}, plus(running, {kCommandCompareFiles}), filesChecked,
         "Resume"},
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

// Follows the model by its notices, as a table and a tree model would: keeps each
// row's file, background and tick, with every notice within the rows known so far;
// writes down the label changes; a group node is always added last under its category.
class Mirror final : public RowObserver, public ResultTreeObserver {
public:
    explicit Mirror(ResultModel& model) : model(model) {
        model.SetRowObserver(this);
        model.SetTreeObserver(this);
    }

    void RowsAboutToBeInserted(size_t first, size_t count) override {
        EXPECT_LE(first, rows.size());
        pending = {first, count};
    }
    void RowsInserted() override {
        for (size_t row = pending.first; row < pending.first + pending.second; ++row)
            rows.insert(rows.begin() + ptrdiff_t(row), Read(row));
    }
    void RowsAboutToBeRemoved(size_t, size_t) override { ADD_FAILURE() << "rows leave only by a reset"; }
    void RowsRemoved() override {}
    void RowsChanged(size_t first, size_t count) override {
        ASSERT_LE(first + count, rows.size()) << "a change past the end of the list";
        ++changes;
        for (size_t row = first; row < first + count; ++row) rows[row] = Read(row);
    }
    void AboutToReset() override {}
    void ResetDone() override { rows = Fresh(); }
    void GroupNodeAboutToBeAdded(ResultNode parent, size_t position) override {
        EXPECT_EQ(position, model.ChildCount(parent));
    }
    void GroupNodeAdded() override {}
    void NodeChanged(ResultNode node) override { labelled.push_back(node); }
    void TreeAboutToBeReset() override {}
    void TreeReset() override {}

    bool MatchesModel() const { return rows == Fresh(); }
    size_t changes = 0;
    std::vector<ResultNode> labelled;

private:
    using Row = std::tuple<const FileItem*, uint32_t, bool>;
    std::vector<Row> Fresh() const {
        std::vector<Row> fresh;
        for (size_t row = 0; row < model.RowCount(); ++row) fresh.push_back(Read(row));
        return fresh;
    }
    Row Read(size_t row) const { return {model.File(row), model.Background(row), model.IsTicked(row)}; }

    const ResultModel& model;
    std::pair<size_t, size_t> pending;
    std::vector<Row> rows;
};

// Each row as name/G (grey), /W (white) or /H (highlighted), in row order.
std::string Rows(const ResultModel& model) {
    std::string text;
    for (size_t row = 0; row < model.RowCount(); ++row) {
        uint32_t color = model.Background(row);
        text.append(row == 0 ? "" : " ").append(model.File(row)->Name());
        text += color == ResultModel::kGrey ? "/G" : color == ResultModel::kWhite ? "/W"
              : color == ResultModel::kHighlight ? "/H" : "/?";
    }
    return text;
}

struct Collected {
    std::string name;
    uint64_t size;
    char digest;  // the letter the digest text is made of
};

MarkRules Rules(KeepRule keep, std::string folder = {}, std::vector<std::string> references = {}) {
    return MarkRules{keep, std::move(folder), std::move(references)};
}

class ResultModelTest : public ::testing::Test {
protected:
    // A file collected as the compare engine collects it: filed in the index,
    // and shown once its key holds two or more files.
    FileItem* Collect(const Collected& file) {
        FileItem* item = testing::AddFile(folder, file.name, file.size, std::string(32, file.digest));
        item->compareState = Finished;
        document.duplicates.Insert(item);
        if (document.duplicates.CountOfKeyOf(item) > 1) model.AddCollectedFile(item);
        return item;
    }
    void CollectAll(const std::vector<Collected>& files) {
        for (const Collected& file : files) Collect(file);
    }
    ResultNode NodeOf(uint64_t size, char digest) {
        auto node = model.NodeOfKey(MakeDuplicateKey(size, std::string(32, digest).c_str()).CStr());
        EXPECT_TRUE(node) << size << digest;
        return node.value_or(ResultModel::kRootNode);
    }

    HeadlessPrompts prompts;
    Document document{prompts};
    ResultModel model{document};
    Mirror mirror{model};
    FolderItem* folder = document.root->FindOrCreateFolder(EntryNamed("/"));
};

TEST_F(ResultModelTest, AGroupNodeKeepsItsIdentityAsItGrowsAndOnlyTheSelectedGroupIsHighlighted) {
    std::vector<FileItem*> seconds;
    for (auto [size, digest] : {std::pair{5000, 'A'}, {3000, 'B'}, {2000, 'C'}}) {
        Collect({std::string("x") + digest, uint64_t(size), digest});
        seconds.push_back(Collect({std::string("y") + digest, uint64_t(size), digest}));
    }
    const ResultNode a = NodeOf(5000, 'A');
    EXPECT_EQ(model.NodeText(a), "xA [2 Copies]");
    EXPECT_EQ(model.Parent(a), 6u) << "5000 bytes are Very Small Files";
    ASSERT_EQ(model.ChildCount(6), 3u);
    EXPECT_EQ(model.Child(6, 0), a);
    EXPECT_EQ(model.Child(6, 1), NodeOf(3000, 'B'));
    EXPECT_EQ(std::string(model.KeyOfNode(a)->CStr()), "5000" + std::string(32, 'A'));
    EXPECT_EQ(model.ChildCount(ResultModel::kRootNode), 7u);
    EXPECT_EQ(model.NodeText(1), "Huge Files");
    EXPECT_EQ(model.NodeTip(a), "");

    EXPECT_FALSE(model.OnGroupSelected(6)) << "a category selects no group";
    auto range = model.OnGroupSelected(NodeOf(3000, 'B'));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 2u);
    EXPECT_EQ(range->count, 2u);
    EXPECT_EQ(CenteringRows(10, 13, 20, 100), std::make_pair(size_t(21), size_t(1)));
    EXPECT_EQ(CenteringRows(0, 1, 20, 5), std::make_pair(size_t(4), size_t(0))) << "never past either end";
    EXPECT_EQ(Rows(model), "xA/G yA/G xB/H yB/H xC/G yC/G");
    model.OnGroupSelected(NodeOf(2000, 'C'));
    EXPECT_EQ(Rows(model), "xA/G yA/G xB/W yB/W xC/H yC/H") << "the previous group gets its own colour back";

    Collect({"zA", 5000, 'A'});
    EXPECT_EQ(NodeOf(5000, 'A'), a);
    EXPECT_EQ(model.NodeText(a), "xA [3 Copies]");
    EXPECT_EQ(model.ChildCount(6), 3u) << "no second node for a growing group";
    EXPECT_EQ(mirror.labelled, std::vector<ResultNode>{a});
    // Groups of one size stand in the order they were made.
    CollectAll({{"xD", 5000, 'D'}, {"yD", 5000, 'D'}});
    EXPECT_EQ(Rows(model), "xA/G yA/G zA/G xD/W yD/W xB/G yB/G xC/H yC/H")
        << "a third copy goes below its group's last row, in its colour; the highlight moves with its rows";
    EXPECT_EQ(model.CellText(2, kNameColumn), "zA");
    EXPECT_EQ(model.CellText(7, kSizeColumn), "1.9 KB");
    EXPECT_EQ(model.CellText(7, kTickColumn), "") << "the tick column shows a box, not text";

    // Selected at the end of the list, then the list shrinks.
    for (FileItem* second : {seconds[1], seconds[2]}) document.duplicates.Remove(second);
    model.Rebuild();
    EXPECT_EQ(Rows(model), "xA/G yA/G zA/G xD/W yD/W");
    EXPECT_FALSE(model.SelectedGroup());
    model.OnGroupSelected(NodeOf(5000, 'A'));  // the mirror fails on a change past the end
    EXPECT_EQ(Rows(model), "xA/H yA/H zA/H xD/W yD/W");
    EXPECT_TRUE(mirror.MatchesModel());
}

TEST_F(ResultModelTest, CollectionEndsWhereARebuildStarts) {
    // Keys of distinct sizes, so that the index's order and the order of
    // making groups agree; enough groups that the list's blocks split.
    std::mt19937 random(11);
    std::vector<Collected> files;
    for (int key = 0; key < 1000; ++key)
        for (int copy = 0; copy < 1 + int(random() % 4); ++copy)
            files.push_back({std::to_string(key) + "-" + std::to_string(copy), uint64_t(37 * key % 5000 + 1),
                             char('A' + key % 26)});
    std::shuffle(files.begin(), files.end(), random);
    CollectAll(files);
    EXPECT_TRUE(mirror.MatchesModel());

    ResultModel rebuilt(document);
    rebuilt.Rebuild();
    EXPECT_EQ(Rows(model), Rows(rebuilt));
}

// Each row's tick as 1 or 0, in row order, then the count the model keeps.
std::string Ticks(const ResultModel& model) {
    std::string text;
    for (size_t row = 0; row < model.RowCount(); ++row) text += model.IsTicked(row) ? '1' : '0';
    return text + " " + std::to_string(model.TickedCount());
}

TEST_F(ResultModelTest, TicksStayWithTheirFilesMarksChangeWholeGroupsInOneNoticeAndARebuildDropsThem) {
    // Very Small Files: a (3 files) and b, which comes later; Tiny Files: c. The oldest of a is a2.
    CollectAll({{"a1", 5000, 'A'}, {"a2", 5000, 'A'}, {"a3", 5000, 'A'}, {"c1", 500, 'C'}, {"c2", 500, 'C'}});
    for (size_t row : {1, 3, 3}) model.SetTicked(row, true);
    EXPECT_EQ(Ticks(model), "01010 2");
    CollectAll({{"b1", 3000, 'B'}, {"b2", 3000, 'B'}});
    EXPECT_EQ(Rows(model), "a1/G a2/G a3/G b1/W b2/W c1/G c2/G");
    EXPECT_EQ(Ticks(model), "0100010 2") << "ticks stay with their files";

    for (size_t row = 0; row < model.RowCount(); ++row)
        model.File(row)->findData.ftLastWriteTime = FileTime::FromValue(row == 1 ? 1 : 10 + row);
    const size_t before = mirror.changes;
    model.MarkCopies(Rules(KeepRule::Oldest), 6);
    EXPECT_EQ(Ticks(model), "1010110 4") << "only the groups of the category; c keeps its tick";
    EXPECT_EQ(mirror.changes, before + 1);
    EXPECT_TRUE(mirror.MatchesModel());
    model.MarkCopies(Rules(KeepRule::Oldest), kAllFilesId);
    EXPECT_EQ(Ticks(model), "1010101 4");
    const size_t marked = mirror.changes;
    model.MarkCopies(Rules(KeepRule::Oldest), kAllFilesId);
    EXPECT_EQ(mirror.changes, marked) << "the same rules tick the same files";
    model.MarkCopies(Rules(KeepRule::InFolder, "/elsewhere"), kAllFilesId);
    EXPECT_EQ(Ticks(model), "1010101 4") << "groups with no file under the folder stay as they were";

    model.InvertMarks();
    EXPECT_EQ(Ticks(model), "0101010 3");
    model.SetTickedRows(4, 9, true);
    EXPECT_EQ(Ticks(model), "0101111 5") << "a span past the end stops at the last row";
    EXPECT_TRUE(mirror.MatchesModel());
    model.Rebuild();
    EXPECT_EQ(Ticks(model), "0000000 0");
    document.Reset();
    EXPECT_EQ(model.RowCount(), 0u) << "the model lets go of the records the document deletes";
    EXPECT_EQ(model.ChildCount(6), 0u);
}

class MarkRulesTest : public ::testing::Test {
protected:
    // Files at absolute paths, their folders made as a scan cuts a root, each
    // modified at its time (100-ns units).
    std::vector<FileItem*> Group(const std::vector<std::pair<std::string, uint64_t>>& files) {
        std::vector<FileItem*> group;
        for (const auto& [path, time] : files) {
            group.push_back(records.AddRecordAt(path, 10));
            group.back()->SetDigestText(std::string(32, 'A'));
            group.back()->findData.ftLastWriteTime = FileTime::FromValue(time);
        }
        return group;
    }
    // The files left unticked, by path; "untouched" when the rules leave the group.
    static std::string Kept(CopyMarker& marker, const std::vector<FileItem*>& group) {
        const std::vector<bool>& ticks = marker.Mark(group);
        if (ticks.empty()) return "untouched";
        std::string kept;
        for (size_t i = 0; i < group.size(); ++i)
            if (!ticks[i]) kept.append(kept.empty() ? "" : " ").append(group[i]->GetFullPath());
        return kept;
    }

    testing::CatalogedDirectory records;
};

TEST_F(MarkRulesTest, EachRuleKeepsOneFileTiesGoToTheFirstPathByteWiseAndReferenceFoldersKeepTheirs) {
    // What is checked, the rules, the group's paths and times, and the paths the rules keep.
    const std::tuple<const char*, MarkRules, std::vector<std::pair<std::string, uint64_t>>, const char*> cases[] = {
        {"newest, two equally new", Rules(KeepRule::Newest), {{"/c/x", 9}, {"/a/x", 5}, {"/b/x", 9}}, "/b/x"},
        {"a tie by whole paths, not folder then name: '-' comes before '/'",
         Rules(KeepRule::Oldest), {{"/a/b/f", 1}, {"/a/b-x/f", 1}}, "/a/b-x/f"},
        {"bytes compare unsigned", Rules(KeepRule::Newest), {{"/a/\xc3\xa9", 1}, {"/a/z", 1}}, "/a/z"},
        {"shortest path", Rules(KeepRule::Shortest), {{"/data/photos/x.jpg", 0}, {"/e/x.jpg", 0}, {"/d/x.jpg", 0}},
         "/d/x.jpg"},
        {"least nested, though longer", Rules(KeepRule::Shallowest),
         {{"/a/b/c/x", 0}, {"/a-much-longer-name/x", 0}, {"/a/b/x", 0}}, "/a-much-longer-name/x"},
        {"first as listed", Rules(KeepRule::First), {{"/z/x", 0}, {"/a/x", 0}}, "/z/x"},
        {"under the folder, the first path of those there", Rules(KeepRule::InFolder, "/keep/./"),
         {{"/a/x", 0}, {"/keep/x", 0}, {"/keep/sub/x", 0}}, "/keep/sub/x"},
        {"a folder whose name only starts the same holds nothing", Rules(KeepRule::InFolder, "/keep"),
         {{"/a/x", 0}, {"/keeper/x", 0}}, "untouched"},
        // Reference folders: what they hold is kept whatever the rule picks, in the group's order.
        {"one file in a reference folder stays, though the rule picks another", Rules(KeepRule::Oldest, "", {"/ref"}),
         {{"/a/x", 1}, {"/ref/x", 9}, {"/b/x", 5}}, "/ref/x"},
        {"every file in one stays, deep ones too", Rules(KeepRule::Oldest, "", {"/ref/"}),
         {{"/ref/x", 9}, {"/a/x", 1}, {"/ref/sub/x", 9}}, "/ref/x /ref/sub/x"},
        {"a folder whose name only starts the same is none", Rules(KeepRule::Oldest, "", {"/ref"}),
         {{"/reference/x", 9}, {"/a/x", 1}}, "/a/x"},
        {"the root holds everything", Rules(KeepRule::Oldest, "", {"/"}), {{"/a/x", 1}, {"/b/x", 2}}, "/a/x /b/x"},
    };
    for (const auto& [what, rules, files, kept] : cases) {
        CopyMarker marker(rules);
        const std::vector<FileItem*> group = Group(files);
        EXPECT_EQ(Kept(marker, group), kept) << what;
        std::vector<FileItem*> reversed(group.rbegin(), group.rend());
        if (rules.keep != KeepRule::First && rules.referenceFolders.empty()) {
            EXPECT_EQ(Kept(marker, reversed), kept) << what << ", listed the other way round";
        }
    }
}

TEST_F(MarkRulesTest, FilesToTickCoversEveryGroupOfTheIndexAndRulesGoByName) {
    DuplicateIndex index;
    std::vector<FileItem*> files = Group({{"/a/one", 3}, {"/b/one", 1}, {"/c/one", 2}, {"/a/two", 1},
                                          {"/b/two", 4}, {"/a/alone", 1}});
    for (size_t i = 0; i < files.size(); ++i) {
        files[i]->findData.nFileSizeLow = i < 3 ? 100 : i < 5 ? 50 : 7;
        index.Insert(files[i]);
    }
    std::vector<std::string> ticked;
    for (FileItem* file : FilesToTick(index, Rules(KeepRule::Newest))) ticked.emplace_back(file->GetFullPath());
    EXPECT_EQ(ticked, (std::vector<std::string>{"/b/one", "/c/one", "/a/two"})) << "largest group first";

    for (KeepRule rule : {KeepRule::Newest, KeepRule::Oldest, KeepRule::Shortest, KeepRule::Shallowest,
                          KeepRule::First, KeepRule::InFolder})
        EXPECT_EQ(KeepRuleNamed(KeepRuleName(rule)), rule) << KeepRuleName(rule);
    EXPECT_FALSE(KeepRuleNamed("Newest"));
}

// "Type of <ext>" and an icon per extension, except for "nothing"; counts questions.
class CountingFileTypes final : public FileTypeNames, public FileIcons {
public:
    std::string TypeName(std::string_view extension) override {
        types.emplace_back(extension);
        return extension == "nothing" ? "" : "Type of " + std::string(extension);
    }
    int32_t IconOfType(std::string_view extension) override {
        icons.emplace_back(extension);
        return extension == "nothing" ? -1 : int32_t(100 + icons.size());
    }
    int32_t IconOfFile(std::string_view path, std::string_view) override {
        icons.emplace_back(path);
        return 500;
    }
    std::vector<std::string> types, icons;
};

TEST(FileListTest, CellsAskTheDesktopOncePerExtensionCategorySetsAreKeptTheSizeSetIsRefilledAndSizeNodesMadeOnce) {
    CountingFileTypes desktop;
    FileTypeCache cache{desktop, desktop};
    testing::CatalogedDirectory files;
    testing::RecordingProgress progress;
    FileList list{cache};
    FileItem* photo = files.AddRecord("PHOTO.JPG", 5000);
    photo->findData.ftLastWriteTime = FileTime::FromUnix(1700000000, 0);
    for (const char* name : {"other.jpg", "README", "app.ico", "odd.nothing"}) files.AddRecord(name, 5000);
    list.ShowCategory(6, files.catalog, progress);

    EXPECT_EQ(list.CellText(0, FileList::kName), "PHOTO.JPG");
    EXPECT_EQ(list.CellText(0, FileList::kDate), FormatFileDate(photo->LastWriteTime()).CStr());
    EXPECT_EQ(list.CellText(5, FileList::kName), "") << "no such row";

    std::vector<std::string> typeTexts;
    std::vector<int32_t> icons;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t row = 0; row < list.RowCount(); ++row) {
            typeTexts.emplace_back(list.CellText(row, FileList::kType));
            icons.push_back(list.IconIndex(row));
        }
    typeTexts.resize(5);
    icons.resize(5);
    EXPECT_EQ(typeTexts, (std::vector<std::string>{"Type of jpg", "Type of jpg", "Type of ", "Type of ico", ""}));
    EXPECT_EQ(desktop.types, (std::vector<std::string>{"jpg", "", "ico", "nothing"}));
    EXPECT_EQ(icons, (std::vector<int32_t>{101, 101, 102, 500, -1}));
    EXPECT_EQ(desktop.icons, (std::vector<std::string>{"jpg", "", files.Path("app.ico"), "nothing"}))
        << "an .ico carries its own icon";
    EXPECT_EQ(photo->iconIndex, 101) << "kept in the record";

    files.AddRecord("late", 5000);
    list.ShowCategory(6, files.catalog, progress);
    EXPECT_EQ(list.RowCount(), 5u) << "a kept set is shown again without reading the catalogue";
    list.ShowSize(5000, files.catalog, progress);
    list.ShowSize(5000, files.catalog, progress);
    EXPECT_EQ(list.RowCount(), 6u) << "the size set is refilled, not added to";

    // The category tree over the same records makes a category's size nodes once.
    CategoryTree tree;
    tree.Relabel(files.catalog);
    tree.AddSizeNodes(tree.Category(6), CategoryTree::SizeSetsOf(6, files.catalog));
    EXPECT_EQ(tree.Category(6).children.at(0)->label, "4.8 KB [6 Files]");
    EXPECT_FALSE(CategoryTree::NeedsSizeNodes(tree.Category(6)));
}

}  // namespace
}  // namespace twinseek
