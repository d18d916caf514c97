#include "app/MainStatusBar.h"
#include "tests/gui/MainWindowTestSupport.h"

#include <QMenu>
#include <QProgressBar>

namespace twinseek::testing {
namespace {

using StatusBarTest = MainWindowFixture;

QStringList VisiblePaneTexts(MainStatusBar& bar) {
    QStringList texts;
    for (int pane = 0; pane < MainStatusBar::kPaneCount; ++pane)
        if (bar.Pane(pane)->isVisible()) texts << bar.Pane(pane)->text();
    return texts;
}

TEST_F(StatusBarTest, PanesFollowTheComparisonToItsEnd) {
    ShowActive();
    std::vector<FileItem*> queued{AddFile("a", std::string(3000, 'x')), AddFile("b", std::string(3000, 'x'))};
    window.UpdateCommandStates();
    EXPECT_EQ(window.StatusPanes().Pane(2)->text(), "");
    ASSERT_TRUE(window.Session().CompareFiles(queued));
    ASSERT_TRUE(QTest::qWaitFor([&] { return queued[0]->compareState == Digested && queued[1]->compareState == Digested; },
                                60000));
    window.Session().Comparing().OnCollectTimer();
    window.UpdateCommandStates();
    EXPECT_EQ(window.StatusPanes().Pane(1)->text(), "Size: 5.8 KB/5.8 KB File(s)   100%");
    EXPECT_EQ(window.StatusPanes().Pane(2)->text(), "Count: 2/2   100%");
    EXPECT_EQ(window.StatusPanes().Pane(6)->text(), "") << "no file is being read";
}

TEST_F(StatusBarTest, ProgressShowsOverASinglePaneAndGoesOnEnd) {
    ShowActive();
    MainStatusBar& bar = window.StatusPanes();
    StatusProgress& progress = window.Progress();
    progress.ProgressStart("Reading data...", 3);
    QProgressBar* control = progress.Control();
    ASSERT_TRUE(control);
    EXPECT_EQ(control->geometry().width(), 90);
    EXPECT_EQ(control->geometry().right() + 1, bar.width() - 60);
    EXPECT_TRUE(VisiblePaneTexts(bar).isEmpty());
    EXPECT_EQ(bar.SinglePane()->text(), "Reading data...");
    progress.ProgressStep();  // the percent of each step is ProgressPercentTest's
    EXPECT_EQ(control->value(), 33);
    progress.ProgressEnd();
    EXPECT_FALSE(progress.Control());
    EXPECT_EQ(VisiblePaneTexts(bar).size(), MainStatusBar::kPaneCount);
    EXPECT_FALSE(bar.SinglePane()->isVisible());
}

TEST_F(StatusBarTest, OpenMenuShowsThePromptInOnePaneEvenWhenItIsEmpty) {
    ShowActive();
    MainStatusBar& bar = window.StatusPanes();
    auto* menu = window.findChild<QMenu*>("viewMenu");
    ASSERT_TRUE(menu);
    menu->popup(window.mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    menu->setActiveAction(window.Action(kCommandStatusBar));
    EXPECT_EQ(bar.SinglePane()->text(), "Show or hide the status bar");
    menu->setActiveAction(window.Action(kCommandFileView));
    EXPECT_TRUE(bar.SinglePane()->isVisible());
    EXPECT_EQ(bar.SinglePane()->text(), "");
    EXPECT_TRUE(VisiblePaneTexts(bar).isEmpty());
    menu->hide();
    EXPECT_FALSE(bar.SinglePane()->isVisible());
    EXPECT_EQ(VisiblePaneTexts(bar).first(), "Ready");
}

}  // namespace
}  // namespace twinseek::testing
