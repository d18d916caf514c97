#include "session/CommandTable.h"
#include "tests/gui/MainWindowTestSupport.h"
#include "views/FilesView.h"
#include "views/ResultView.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QMenuBar>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace twinseek::testing {
namespace {

using MainWindowCommandsTest = MainWindowFixture;

QToolButton* ToolButton(MainWindow& window, CommandId id) {
    return qobject_cast<QToolButton*>(window.findChild<QToolBar*>("toolBand")->widgetForAction(window.Action(id)));
}

TEST_F(MainWindowCommandsTest, FrameHoldsTheMenusTheBandsAndBothViews) {
    EXPECT_EQ(window.windowTitle(), "Twinseek");
    auto* menuBand = window.findChild<QToolBar*>("menuBand");
    auto* toolBand = window.findChild<QToolBar*>("toolBand");
    auto* menuBar = menuBand->findChild<QMenuBar*>();
    ASSERT_TRUE(menuBar);
    QStringList titles;
    for (QAction* menu : menuBar->actions()) titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Action", "&View", "&Help"}));

    EXPECT_TRUE(window.toolBarBreak(toolBand)) << "the tool bar is on a row of its own";
    EXPECT_EQ(toolBand->actions().size(), 13);
    EXPECT_EQ(ToolButton(window, kCommandFileView)->text(), "Files View");
    EXPECT_TRUE(window.Files().isVisibleTo(&window));
    EXPECT_FALSE(window.Results().isVisibleTo(&window));
}

TEST_F(MainWindowCommandsTest, IdleUpdateGreysTheCommandsWhileComparingAndInEachView) {
    const CommandId document[] = {kCommandNew, kCommandOpen, kCommandSave, kCommandSaveAs, kCommandScanDisk};
    window.UpdateCommandStates();
    EXPECT_FALSE(window.Action(kCommandStopCompare)->isEnabled());

    StartPausedComparison(2);
    for (CommandId id : document) EXPECT_FALSE(window.Action(id)->isEnabled()) << id;
    EXPECT_FALSE(ToolButton(window, kCommandNew)->isEnabled());
    EXPECT_TRUE(window.Action(kCommandPause)->isEnabled());
    EXPECT_TRUE(window.Action(kCommandStopCompare)->isEnabled());

    window.RunCommand(kCommandResultView);
    window.UpdateCommandStates();
    EXPECT_TRUE(window.Action(kCommandResultView)->isChecked());
    EXPECT_FALSE(window.Action(kCommandFileView)->isChecked());
    EXPECT_FALSE(window.Action(kCommandCompareFiles)->isEnabled());
    EXPECT_FALSE(window.Action(kCommandDelete)->isEnabled()) << "nothing is ticked";
    EXPECT_EQ(qobject_cast<QStackedWidget*>(window.centralWidget())->currentWidget(), &window.Results());
}

TEST_F(MainWindowCommandsTest, GreyedDocumentKeysShowTheRefusalAndChangeNothing) {
    ShowActive();
    StartPausedComparison(2);
    window.Session().Doc().modified = false;
    for (Qt::Key key : {Qt::Key_N, Qt::Key_O, Qt::Key_S}) {
        ShowActive();  // the offscreen platform does not give activation back after a box
        ModalAnswerer answerer;
        QTest::keyClick(&window, key, Qt::ControlModifier);
        ASSERT_EQ(answerer.seen.size(), 1) << char(key);
        EXPECT_EQ(answerer.seen[0].title, "Notify");
        EXPECT_EQ(answerer.seen[0].text, "Can't to process when comparing files!");
        EXPECT_EQ(answerer.seen[0].icon, QMessageBox::Information);
        EXPECT_EQ(window.Session().Comparing().RowCount(), 2u);
        EXPECT_FALSE(window.Session().Doc().modified);
    }
}

TEST_F(MainWindowCommandsTest, CloseWhileComparingAsksAndOnlyYesStopsAndCloses) {
    ShowActive();
    StartPausedComparison(2);
    window.Session().Doc().modified = false;  // no save question here
    {
        ModalAnswerer answerer(QMessageBox::No);
        EXPECT_FALSE(window.close());
        ASSERT_EQ(answerer.seen.size(), 1);
        EXPECT_EQ(answerer.seen[0].title, "Notify");
        EXPECT_EQ(answerer.seen[0].text, "Are you sure stop compare and exit?");
        EXPECT_EQ(answerer.seen[0].icon, QMessageBox::Question);
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(window.Session().IsPaused()) << "the comparison goes on as it was";
    }
    bool ended = false;
    QObject::connect(&window, &MainWindow::closedForGood, [&] { ended = true; });
    ModalAnswerer answerer(QMessageBox::Yes);
    EXPECT_TRUE(window.close()) << "a paused worker must not hold the close";
    EXPECT_EQ(answerer.seen.size(), 1);
    EXPECT_TRUE(ended);
    EXPECT_EQ(window.Session().Engine().RunningWorkers(), 0u);
}

TEST_F(MainWindowCommandsTest, ExitWithChangesAsksAsNewDoesAndCancelKeepsTheWindow) {
    ShowActive();
    window.Session().Doc().modified = true;
    {
        ModalAnswerer answerer(QMessageBox::Cancel);
        window.RunCommand(kCommandExit);
        QTest::qWait(50);
        ASSERT_EQ(answerer.seen.size(), 1);
        EXPECT_EQ(answerer.seen[0].title, "Confirm");
        EXPECT_EQ(answerer.seen[0].text, "The content in the file has changed.\nDo you want to save the changes?");
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(window.Session().Doc().modified);
    }
    ModalAnswerer answerer(QMessageBox::No);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(answerer.seen.size(), 1);
    ModalAnswerer none;
    window.Session().Doc().modified = false;
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(none.seen.isEmpty()) << "nothing unsaved, nothing asked";
}

TEST_F(MainWindowCommandsTest, KeysWithoutCommandsNeverReachTheFocusedList) {
    ShowActive();
    auto* list = window.Files().findChild<QAbstractItemView*>();
    ASSERT_TRUE(list);
    list->setFocus();
    QList<QKeyCombination> seen;
    struct Recorder : QObject {
        QList<QKeyCombination>* seen;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() != QEvent::KeyPress) return false;
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() < Qt::Key_Shift || key->key() > Qt::Key_Alt) seen->append(key->keyCombination());
            return false;
        }
    } recorder;
    recorder.seen = &seen;
    list->installEventFilter(&recorder);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_F6, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(seen, (QList<QKeyCombination>{QKeyCombination(Qt::Key_Down)})) << "only the key outside the table";
}

TEST_F(MainWindowCommandsTest, PauseReadsResumeInTheMenuButStaysPauseOnTheToolBar) {
    ShowActive();
    StartPausedComparison(1);
    EXPECT_EQ(window.Action(kCommandPause)->text(), "Resume");
    QToolButton* button = ToolButton(window, kCommandPause);
    EXPECT_EQ(button->text(), "Pause");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(window.Session().IsPaused());
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Action(kCommandPause)->text(), "Pause") << "set by the idle update after the click";
    EXPECT_EQ(button->text(), "Pause");
}

TEST_F(MainWindowCommandsTest, ToolbarCommandHidesOnlyTheToolBand) {
    ShowActive();
    auto* menuBand = window.findChild<QToolBar*>("menuBand");
    auto* toolBand = window.findChild<QToolBar*>("toolBand");
    window.Action(kCommandToolbar)->trigger();
    EXPECT_TRUE(toolBand->isHidden());
    EXPECT_TRUE(menuBand->isVisible());
    window.UpdateCommandStates();
    EXPECT_FALSE(window.Action(kCommandToolbar)->isChecked());
    window.Action(kCommandToolbar)->trigger();
    EXPECT_TRUE(toolBand->isVisible());
    EXPECT_TRUE(window.Action(kCommandToolbar)->isChecked());
}

TEST_F(MainWindowCommandsTest, OnlyTheButtonsWithPromptStringsHaveTips) {
    ShowActive();
    for (CommandId id : ToolBarEntries()) {
        if (id == kNoCommand) continue;
        QToolButton* button = ToolButton(window, id);
        // A button that shows no tip leaves the one already shown.
        QToolTip::showText(button->mapToGlobal(QPoint(2, 2)), "earlier tip");
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &help);
        const char* tip = FindCommandText(id)->tip;
        EXPECT_EQ(QToolTip::text(), tip ? QString(tip) : QString("earlier tip")) << id;
    }
    QToolTip::hideText();
}

TEST_F(MainWindowCommandsTest, DamagedDocumentShowsAnErrorNamingItAndLeavesAnEmptyCatalogue) {
    AddFile("kept", "old contents");
    WriteBytes(files.Path("damaged.tws"), "not a document");
    const QString damaged = QString::fromStdString(files.Path("damaged.tws"));
    ModalAnswerer answerer(QMessageBox::Ok, [&](QDialog& dialog) {
        auto& chooser = static_cast<QFileDialog&>(dialog);
        EXPECT_EQ(chooser.nameFilters(), (QStringList{"Twinseek Files (*.tws)", "All Files (*)"}));
        chooser.selectFile(damaged);
        dialog.accept();  // the file dialog's own accept, which takes the selection
    });
    window.RunCommand(kCommandOpen);
    ASSERT_EQ(answerer.seen.size(), 2);
    EXPECT_EQ(answerer.seen[0].kind, "openDialog");
    EXPECT_EQ(answerer.seen[1].title, "Error");
    EXPECT_TRUE(answerer.seen[1].text.contains(damaged)) << answerer.seen[1].text.toStdString();
    EXPECT_EQ(window.Session().Doc().catalog.Count(), 0u);
    EXPECT_TRUE(window.Session().Doc().path.empty());
    EXPECT_TRUE(window.Files().updatesEnabled()) << "the files view paints again once rebuilt";
}

}  // namespace
}  // namespace twinseek::testing
