// The window's placement and its two bands kept in the settings file and
// brought back at the next start, whatever the file holds.
#include "app/WindowSettings.h"
#include "session/WindowPlacement.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace twinseek {
namespace {

// A main window with the two bands as the program makes them: the menu bar on
// the first row, the 13 buttons on a second.
struct BandedWindow {
    BandedWindow() {
        window.resize(900, 600);
        menuBand->setObjectName("menuBand");
        auto* menuBar = new QMenuBar;
        menuBar->setNativeMenuBar(false);
        for (const char* title : {"&File", "&Action", "&View", "&Help"}) menuBar->addMenu(title);
        menuBand->addWidget(menuBar);
        toolBand->setObjectName("toolBand");
        for (int i = 0; i < 13; ++i) toolBand->addAction(QString("Button %1").arg(i));
        window.addToolBar(Qt::TopToolBarArea, menuBand);
        window.addToolBarBreak();
        window.addToolBar(Qt::TopToolBarArea, toolBand);
    }
    bool ToolBandFirstInOneRow() const {
        return toolBand->y() == menuBand->y() && toolBand->x() < menuBand->x() && !window.toolBarBreak(menuBand);
    }
    QMainWindow window;
    QToolBar* menuBand = new QToolBar(&window);
    QToolBar* toolBand = new QToolBar(&window);
};

class WindowSettingsTest : public testing::Test {
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

TEST_F(WindowSettingsTest, PlacementRoundTripsInEachState) {
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
}

TEST_F(WindowSettingsTest, PlacementOffEveryScreenOrHugeOpensOnThePrimaryAndADamagedOneChangesNothing) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const std::pair<PlacementRect, QSize> savedAndSize[] = {
        {{30000, 30000, 30640, 30420}, QSize(640, 420)},
        {{0, 0, 16777214, 16777214}, area.size()},
        {{0, 0, 32767, 32767}, area.size()},
    };
    for (const auto& [saved, size] : savedAndSize) {
        settings->setValue("MainFramePos", Record({0, kShowNormal, -1, -1, -1, -1, saved}));
        QWidget window;
        RestorePlacement(window, *settings);
        EXPECT_TRUE(area.contains(window.geometry())) << saved.right;
        EXPECT_EQ(window.size(), size) << saved.right;
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
        QWidget window;
        window.setGeometry(200, 150, 300, 250);
        RestorePlacement(window, *settings);
        EXPECT_EQ(window.normalGeometry(), QRect(200, 150, 300, 250)) << value.typeName();
        EXPECT_EQ(window.isMaximized(), maximized) << value.typeName();
    }
}

TEST_F(WindowSettingsTest, SwappedBandsComeBackInTheirOrderAndWidth) {
    BandedWindow closing;
    closing.window.show();
    SavePlacement(closing.window, *settings);
    SaveBands(closing.window, *settings);
    EXPECT_EQ(settings->allKeys().size(), 8);
    EXPECT_EQ(settings->value("ReBar1BreakLine").toInt(), 1) << "tool band on its own row";

    // The user drags the tool band up, before the menu band on the first row.
    closing.window.removeToolBar(closing.toolBand);
    closing.window.insertToolBar(closing.menuBand, closing.toolBand);
    closing.toolBand->show();
    QApplication::processEvents();
    ASSERT_TRUE(closing.ToolBandFirstInOneRow());
    SaveBands(closing.window, *settings);
    Reopen();
    EXPECT_EQ(settings->value("ReBar0ID").toInt(), 60161);
    EXPECT_EQ(settings->value("ReBar1ID").toInt(), 60160);

    // Narrower than its buttons: the width holds at the next start.
    settings->setValue("ReBar0CX", 200);
    BandedWindow opening;
    opening.toolBand->hide();  // hidden by the Toolbar command: stays hidden
    RestoreBands(opening.window, *settings);
    opening.window.show();
    EXPECT_TRUE(opening.toolBand->isHidden());
    opening.toolBand->show();
    QApplication::processEvents();
    EXPECT_TRUE(opening.ToolBandFirstInOneRow());
    EXPECT_EQ(opening.toolBand->width(), 200);
    // Taking hold of the band lets it go.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(opening.toolBand, &press);
    QApplication::processEvents();
    EXPECT_GT(opening.toolBand->width(), 200);
}

}  // namespace
}  // namespace twinseek
