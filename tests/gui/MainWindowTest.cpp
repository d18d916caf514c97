// The main window: commands refused while comparing, the questions before
// closing, keys and tips, the status panes through a comparison and a progress
// run, widths that hold their texts, what assistive tools read; its placement
// and bands kept in the settings file whatever it holds, and its icons.
#include "app/AboutDialog.h"
#include "app/Icons.h"
#include "app/WindowSettings.h"
#include "session/CommandTable.h"
#include "session/WindowPlacement.h"
#include "tests/gui/MainWindowTestSupport.h"

#include <QDir>
#include <QImage>
#include <QMainWindow>
#include <QMouseEvent>
#include <QProgressBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace twinseek::testing {
namespace {

using MainWindowCommandsTest = MainWindowFixture;
using StatusBarTest = MainWindowFixture;

QToolButton* ToolButton(MainWindow& window, CommandId id) {
    return qobject_cast<QToolButton*>(window.findChild<QToolBar*>("toolBand")->widgetForAction(window.Action(id)));
}

TEST_F(MainWindowCommandsTest, WhileComparingGreyedKeysShowTheRefusalAndCloseAsksAndOnlyYesStopsAndCloses) {
    ShowActive();
    StartPausedComparison(2);
    window.Session().Doc().modified = false;  // no save question here
    for (Qt::Key key : {Qt::Key_N, Qt::Key_O, Qt::Key_S}) {
        ShowActive();  // the offscreen platform does not give activation back after a box
        ModalAnswerer answerer;
        QTest::keyClick(&window, key, Qt::ControlModifier);
        EXPECT_EQ(answerer.seen, (Boxes{{"Notify", "Can't to process when comparing files!", QMessageBox::Information}}))
            << char(key);
        EXPECT_EQ(window.Session().Comparing().RowCount(), 2u);
        EXPECT_FALSE(window.Session().Doc().modified);
    }
    {
        ModalAnswerer answerer(QMessageBox::No);
        EXPECT_FALSE(window.close());
        EXPECT_EQ(answerer.seen, (Boxes{{"Notify", "Are you sure stop compare and exit?", QMessageBox::Question}}));
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(window.Session().IsPaused()) << "the comparison goes on as it was";
    }
    QSignalSpy ended(&window, &MainWindow::closedForGood);
    ModalAnswerer answerer(QMessageBox::Yes);
    EXPECT_TRUE(window.close()) << "a paused worker must not hold the close";
    EXPECT_EQ(answerer.seen.size(), 1);
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(window.Session().Engine().RunningWorkers(), 0u);
}

TEST_F(MainWindowCommandsTest, ExitWithChangesAsksAsNewDoesAndCancelKeepsTheWindow) {
    ShowActive();
    window.Session().Doc().modified = true;
    {
        ModalAnswerer answerer(QMessageBox::Cancel);
        window.RunCommand(kCommandExit);
        QTest::qWait(50);
        EXPECT_EQ(answerer.seen, (Boxes{{"Confirm", "The content in the file has changed.\nDo you want to save the changes?",
                                         QMessageBox::Warning}}));
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(window.Session().Doc().modified);
    }
    ModalAnswerer answerer(QMessageBox::No);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(answerer.seen.size(), 1);
    window.Session().Doc().modified = false;
    EXPECT_TRUE(window.close());
    EXPECT_EQ(answerer.seen.size(), 1) << "nothing unsaved, nothing asked";
}

TEST_F(MainWindowCommandsTest, ToolBandPauseStaysPauseOnlyPromptedButtonsHaveTipsToolbarHidesOnlyItAndAllReadAsShown) {
    ShowActive();
    StartPausedComparison(2);
    EXPECT_EQ(AccessibilityFaults(window), QStringList()) << "files view, status panes showing a comparison";
    EXPECT_EQ(window.Action(kCommandPause)->text(), "Resume");
    QToolButton* button = ToolButton(window, kCommandPause);
    EXPECT_EQ(button->text(), "Pause");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(window.Session().IsPaused());
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Action(kCommandPause)->text(), "Pause") << "set by the idle update after the click";
    EXPECT_EQ(button->text(), "Pause");

    for (CommandId id : ToolBarEntries()) {
        if (id == kNoCommand) continue;
        button = ToolButton(window, id);
        // A button that shows no tip leaves the one already shown.
        QToolTip::showText(button->mapToGlobal(QPoint(2, 2)), "earlier tip");
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &help);
        const char* tip = FindCommandText(id)->tip;
        EXPECT_EQ(QToolTip::text(), tip ? QString(tip) : QString("earlier tip")) << id;
    }
    QToolTip::hideText();

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

    window.RunCommand(kCommandResultView);
    EXPECT_EQ(AccessibilityFaults(window), QStringList()) << "result view";
    AboutDialog about(&window);
    about.show();
    EXPECT_EQ(AccessibilityFaults(about), QStringList());
    DiskFileRemover remover;
    DeleteDialog deletion(window.Session(), {}, remover, &window);
    deletion.show();
    EXPECT_EQ(AccessibilityFaults(deletion), QStringList());
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

TEST_F(StatusBarTest, ProgressAndAnOpenMenuShowOverASinglePaneAndPanesAndListColumnsHoldTheirWidestTexts) {
    window.resize(800, 600);
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

    // A menu's prompt shows in the one pane, even an empty one.
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

    EXPECT_GE(bar.PaneWidth(2), bar.fontMetrics().horizontalAdvance("Count: 100000/100000   100%") + 6);
    FilesView& view = window.Files();
    const std::tuple<QAbstractItemView*, QHeaderView*, std::span<const ListColumn>> lists[] = {
        {view.FileListView(), view.FileListView()->horizontalHeader(), FileList::kColumns},
        {view.ComparingListView(), view.ComparingListView()->horizontalHeader(), ComparingList::kColumns},
        {view.FinishedListView(), view.FinishedListView()->horizontalHeader(), FinishedList::kColumns},
        {window.Results().FileListView(), window.Results().FileListView()->header(), kResultColumns}};
    for (const auto& [list, header, columns] : lists) {
        // The room a cell leaves its text, inside the style's margins.
        const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
        for (size_t column = 0; column < columns.size(); ++column) {
            if (!columns[column].widestTexts) continue;
            const int room = header->sectionSize(int(column)) - 2 * margin;
            for (const std::string& text : columns[column].widestTexts())
                EXPECT_LE(list->fontMetrics().horizontalAdvance(QString::fromStdString(text)), room)
                    << list->objectName().toStdString() << " cuts " << text;
        }
    }
}

// The tool band on the menu band's row, before it.
bool ToolBandFirstInOneRow(const QMainWindow& window) {
    QToolBar* menuBand = window.findChild<QToolBar*>("menuBand");
    QToolBar* toolBand = window.findChild<QToolBar*>("toolBand");
    return toolBand->y() == menuBand->y() && toolBand->x() < menuBand->x() && !window.toolBarBreak(menuBand);
}

// The main window's placement and bands kept in a settings file of the test's own.
class WindowSettingsTest : public MainWindowFixture {
protected:
    // Written and read back through the file, as at the next start.
    void Reopen() {
        settings->sync();
        settings = std::make_unique<QSettings>(folder.filePath("Twinseek.conf"), QSettings::IniFormat);
    }
    static QByteArray Record(const WindowPlacement& placement) {
        const auto bytes = EncodePlacement(placement);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }
    QTemporaryDir folder;
    std::unique_ptr<QSettings> settings =
        std::make_unique<QSettings>(folder.filePath("Twinseek.conf"), QSettings::IniFormat);
};

TEST_F(WindowSettingsTest, PlacementRoundTripsInEachStateAndADamagedOrEmptyOneChangesNoGeometry) {
    const std::pair<Qt::WindowStates, bool> closedInOpensMaximized[] = {
        {Qt::WindowNoState, false},
        {Qt::WindowMaximized, true},
        {Qt::WindowMinimized, false},
        {Qt::WindowMinimized | Qt::WindowMaximized, true},
    };
    const QRect normal(120, 80, 640, 420);
    for (const auto& [closedIn, opensMaximized] : closedInOpensMaximized) {
        QWidget closing;
        closing.setGeometry(normal);
        closing.setWindowState(closedIn);
        SavePlacement(closing, *settings);
        Reopen();
        QWidget opening;
        RestorePlacement(opening, *settings);
        EXPECT_EQ(opening.normalGeometry(), normal) << closedIn.toInt();
        EXPECT_EQ(opening.isMaximized(), opensMaximized) << closedIn.toInt();
        EXPECT_FALSE(opening.isMinimized());
    }

    const QByteArray good = Record({0, kShowMaximized, -1, -1, -1, -1, {10, 10, 500, 400}});
    QByteArray wrongLength = good;
    wrongLength[0] = 40;
    const QByteArray emptyRect = Record({0, kShowMaximized, -1, -1, -1, -1, {10, 10, 10, 400}});
    const std::pair<QVariant, bool> valueAndMaximized[] = {
        {good.left(43), false}, {good + '\0', false}, {wrongLength, false}, {QString::fromLatin1(good), false},
        {44, false}, {emptyRect, true},  // the state applies, the size stays
    };
    for (const auto& [value, maximized] : valueAndMaximized) {
        settings->setValue("MainFramePos", value);
        QWidget restored;
        restored.setGeometry(200, 150, 300, 250);
        RestorePlacement(restored, *settings);
        EXPECT_EQ(restored.normalGeometry(), QRect(200, 150, 300, 250)) << value.typeName();
        EXPECT_EQ(restored.isMaximized(), maximized) << value.typeName();
    }
}

TEST_F(WindowSettingsTest, SwappedBandsComeBackInTheirOrderAndWidth) {
    window.resize(900, 600);
    window.show();
    SavePlacement(window, *settings);
    SaveBands(window, *settings);
    EXPECT_EQ(settings->allKeys().size(), 8);
    EXPECT_EQ(settings->value("ReBar1BreakLine").toInt(), 1) << "tool band on its own row";

    // The user drags the tool band up, before the menu band on the first row.
    QToolBar* toolBand = window.findChild<QToolBar*>("toolBand");
    window.removeToolBar(toolBand);
    window.insertToolBar(window.findChild<QToolBar*>("menuBand"), toolBand);
    toolBand->show();
    QApplication::processEvents();
    ASSERT_TRUE(ToolBandFirstInOneRow(window));
    SaveBands(window, *settings);
    Reopen();
    EXPECT_EQ(settings->value("ReBar0ID").toInt(), 60161);
    EXPECT_EQ(settings->value("ReBar1ID").toInt(), 60160);

    // Narrower than its buttons: the width holds at the next start.
    settings->setValue("ReBar0CX", 200);
    MainWindow opening;
    opening.resize(900, 600);
    toolBand = opening.findChild<QToolBar*>("toolBand");
    toolBand->hide();  // hidden by the Toolbar command: stays hidden
    RestoreBands(opening, *settings);
    opening.show();
    EXPECT_TRUE(toolBand->isHidden());
    toolBand->show();
    QApplication::processEvents();
    EXPECT_TRUE(ToolBandFirstInOneRow(opening));
    EXPECT_EQ(toolBand->width(), 200);
    // Taking hold of the band lets it go.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(toolBand, &press);
    QApplication::processEvents();
    EXPECT_GT(toolBand->width(), 200);
}

// Points the icon theme at a folder of our own for the length of a test.
class IconsTest : public ::testing::Test {
protected:
    void SetUp() override { QIcon::setThemeSearchPaths({folder.path()}); }
    void TearDown() override {
        QIcon::setThemeSearchPaths(savedPaths);
        QIcon::setThemeName(savedTheme);
    }
    static int OpaquePixels(const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 0;
        return count;
    }
    QTemporaryDir folder;
    const QStringList savedPaths = QIcon::themeSearchPaths();
    const QString savedTheme = QIcon::themeName();
};

TEST_F(IconsTest, BareMachineShowsOurOwnDrawingsWithHotAndDisabledLooksAndAThemeIconWinsWhereTheThemeHasOne) {
    QIcon::setThemeName("none-installed");
    for (int id : {57600, 57601, 57603, 57604, 57665, 32779, 32781, 32782, 32790, 32783, 32787, 32789, 57664})
        EXPECT_GT(OpaquePixels(CommandIcon(id).pixmap(24, 24).toImage()), 40) << id;
    EXPECT_GT(OpaquePixels(ProgramIcon().pixmap(64, 64).toImage()), 1000);
    for (int id : {59392, 59393, 1}) EXPECT_TRUE(CommandIcon(id).isNull()) << id;

    const QIcon stop = CommandIcon(32790);  // a red square
    const QColor normal = stop.pixmap(24, 24, QIcon::Normal).toImage().pixelColor(12, 12);
    const QColor hot = stop.pixmap(24, 24, QIcon::Active).toImage().pixelColor(12, 12);
    const QColor disabled = stop.pixmap(24, 24, QIcon::Disabled).toImage().pixelColor(12, 12);
    EXPECT_GT(hot.lightness(), normal.lightness());
    EXPECT_EQ(hot.hue(), normal.hue());
    EXPECT_EQ(disabled.saturation(), 0);
    EXPECT_LT(disabled.alpha(), normal.alpha());

    // A theme that has document-new only, as a plain green square.
    ASSERT_TRUE(QDir(folder.path()).mkpath("plain/24x24/actions"));
    WriteBytes(folder.filePath("plain/index.theme").toStdString(),
               "[Icon Theme]\nName=Plain\nDirectories=24x24/actions\n\n[24x24/actions]\nSize=24\nType=Fixed\n");
    QImage square(24, 24, QImage::Format_ARGB32);
    square.fill(Qt::green);
    ASSERT_TRUE(square.save(folder.filePath("plain/24x24/actions/document-new.png")));
    QIcon::setThemeName("plain");

    EXPECT_EQ(CommandIcon(57600).pixmap(24, 24).toImage().pixel(12, 12), QColor(Qt::green).rgb());
    const QImage open = CommandIcon(57601).pixmap(24, 24).toImage();
    EXPECT_GT(OpaquePixels(open), 40) << "Open falls back to our folder";
    EXPECT_NE(open.pixel(12, 12), QColor(Qt::green).rgb());
}

}  // namespace
}  // namespace twinseek::testing
