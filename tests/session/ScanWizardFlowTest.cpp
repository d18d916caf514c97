// The scan wizard's rules without widgets: the order of its pages, the welcome
// page's skip, the size ticks kept in the table, the progress text, how the
// wizard ends; and context help that stops looking for an engine after a failure.
#include "catalog/SizeCategory.h"
#include "session/ContextHelp.h"
#include "session/ScanWizardFlow.h"

#include <gtest/gtest.h>

namespace twinseek {
namespace {

TEST(ScanWizardFlowTest, PagesFollowTheirTableNotTheirIdsAndBackLeavesOnlyTheChoosingPages) {
    std::vector<int> walked;
    for (int id = kWelcomePageId; id != -1; id = NextWizardPage(id)) walked.push_back(id);
    EXPECT_EQ(walked, (std::vector<int>{107, 201, 213, 202, 203}));
    EXPECT_EQ(WizardPageOf(kWelcomePageId).headerTitle, nullptr) << "exterior pages have no header";
    for (int id : walked) EXPECT_EQ(WizardBackAllowed(id), id == kFolderPageId || id == kSizePageId) << id;
}

TEST(ScanWizardFlowTest, WelcomePageMovesOnOnlyAtItsFirstActivationWhileItsBoxIsTicked) {
    ScanWizardData data;
    WelcomeStep step(data);
    EXPECT_TRUE(step.SkipTickedAtStart()) << "made with showWelcome false";
    EXPECT_TRUE(step.SkipOnActivation(true));
    EXPECT_FALSE(step.SkipOnActivation(true)) << "Back must reach it";
    WelcomeStep::LeaveWithNext(data, false);
    EXPECT_TRUE(data.showWelcome);
    WelcomeStep shown(data);
    EXPECT_FALSE(shown.SkipTickedAtStart());
    EXPECT_FALSE(shown.SkipOnActivation(false));
}

TEST(ScanWizardFlowTest, SizeTicksBecomeAutoCompareAndDecideHowTheScanEnds) {
    StoreAutoCompare({false, true, false, false, false, false, true});
    EXPECT_EQ(AutoCompareCategories(), (std::vector<uint32_t>{2, 7}));
    EXPECT_EQ(SizeCategories()[2].autoCompare, 1);
    EXPECT_TRUE(FinishWhenScanDone());
    StoreAutoCompare({});
    EXPECT_TRUE(AutoCompareCategories().empty());
    EXPECT_FALSE(FinishWhenScanDone());
}

TEST(ScanWizardFlowTest, ProgressCountsEveryStatusMessageAsAFolder) {
    ScanProgressCount count;
    count.StatusArrived(1);  // "Initialize..."
    count.StatusArrived(41);
    EXPECT_EQ(ScanProgressCount::FoundText(1234, count.Folders()), "Find 1234 Files in 42 Folders");
}

TEST(ContextHelpTest, AFailedLoadIsRememberedAndEveryRequestFails) {
    int loads = 0;
    ContextHelp missing([&] {
        ++loads;
        return ContextHelp::Engine();
    });
    EXPECT_FALSE(missing.Fails("/usr/bin/twinseek", {1000, 7})) << "a page's own context is not asked for";
    EXPECT_EQ(loads, 0);
    EXPECT_TRUE(missing.Fails("/usr/bin/twinseek", {1000, 0}));
    EXPECT_TRUE(missing.Fails("/usr/bin/twinseek", {1011, 0}));
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(missing.LoadAttempts(), 1);

    std::vector<std::string> asked;
    ContextHelp present([&] {
        return ContextHelp::Engine([&](const std::string& topics, const HelpRequest&) {
            asked.push_back(topics);
            return asked.size() == 1;
        });
    });
    EXPECT_FALSE(present.Fails("/opt/tw.s/twinseek.bin", {1000, 0}));
    EXPECT_TRUE(present.Fails("/opt/tw.s/twinseek", {1000, 0})) << "an engine that shows nothing fails too";
    EXPECT_EQ(asked, (std::vector<std::string>{"/opt/tw.s/twinseek.chm::/Context.txt",
                                               "/opt/tw.s/twinseek.chm::/Context.txt"}));
    EXPECT_EQ(present.LoadAttempts(), 1);
    EXPECT_FALSE(LoadPlatformHelpEngine()) << "Linux has no help engine";
}

}  // namespace
}  // namespace twinseek
