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
    EXPECT_EQ(window.StatusPanes().Pane(3)->text(), "") << "before any comparison";
    ASSERT_TRUE(window.Session().CompareFiles(queued));
    window.UpdateCommandStates();
    EXPECT_EQ(window.StatusPanes().Pane(4)->text(), "Elapsed: 00:00:00") << "shown from the start";
    ASSERT_TRUE(QTest::qWaitFor([&] { return queued[0]->compareState == Digested && queued[1]->compareState == Digested; },
                                60000));
    window.Session().Comparing().OnCollectTimer();
    window.UpdateCommandStates();
    QStringList texts = VisiblePaneTexts(window.StatusPanes());
    ASSERT_EQ(texts.size(), MainStatusBar::kPaneCount);
    texts[4] = texts[4].left(9);  // the time taken varies
    EXPECT_EQ(texts, (QStringList{"Comparison finished: 1 duplicate group; its extra copies hold 2.9 KB",
                                  "Size: 5.8 KB/5.8 KB File(s)   100%", "Count: 2/2   100%", "", "Elapsed: ", "",
                                  ""}));
    // A few seconds later "Ready" is back; the timer is hurried here.
    auto* timer = window.findChild<QTimer*>("comparisonEndTextTimer");
    ASSERT_TRUE(timer && timer->isActive());
    timer->start(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusPanes().Pane(0)->text() == "Ready"; }, 5000));
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
