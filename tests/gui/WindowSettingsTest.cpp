#include "app/WindowSettings.h"

#include "session/WindowPlacement.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace twinseek {
namespace {

// A main window with the two bands as the program makes them: the menu bar on
// the first row, the buttons on a second.
struct BandedWindow {
    BandedWindow() {
        window.resize(900, 600);
        window.setCentralWidget(new QWidget);
        menuBand = new QToolBar("Menu", &window);
        menuBand->setObjectName("menuBand");
        auto* menuBar = new QMenuBar;
        menuBar->setNativeMenuBar(false);
        for (const char* title : {"&File", "&Action", "&View", "&Help"}) menuBar->addMenu(title);
        menuBand->addWidget(menuBar);
        toolBand = new QToolBar("Toolbar", &window);
        toolBand->setObjectName("toolBand");
        for (int i = 0; i < 13; ++i) toolBand->addAction(QString("Button %1").arg(i));
        window.addToolBar(Qt::TopToolBarArea, menuBand);
        window.addToolBarBreak();
        window.addToolBar(Qt::TopToolBarArea, toolBand);
    }
    void Show() {
        window.show();
        QApplication::processEvents();
    }
    bool ToolBandFirstInOneRow() const {
        return toolBand->y() == menuBand->y() && toolBand->x() < menuBand->x() && !window.toolBarBreak(menuBand);
    }
    QMainWindow window;
    QToolBar* menuBand;
    QToolBar* toolBand;
};

class WindowSettingsTest : public testing::Test {
protected:
    QTemporaryDir folder;
    std::unique_ptr<QSettings> settings =
        std::make_unique<QSettings>(folder.filePath("Twinseek.conf"), QSettings::IniFormat);
    // Written and read back through the file, as at the next start.
    void Reopen() {
        settings->sync();
        settings = std::make_unique<QSettings>(folder.filePath("Twinseek.conf"), QSettings::IniFormat);
    }
    QByteArray Record(const WindowPlacement& placement) {
        const auto bytes = EncodePlacement(placement);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }
};

TEST_F(WindowSettingsTest, PlacementRoundTripsInEachState) {
    const struct {
        Qt::WindowStates closedIn;
        bool opensMaximized;
    } table[] = {
        {Qt::WindowNoState, false},
        {Qt::WindowMaximized, true},
        {Qt::WindowMinimized, false},
        {Qt::WindowMinimized | Qt::WindowMaximized, true},
    };
    const QRect normal(120, 80, 640, 420);
    for (const auto& row : table) {
        QWidget closing;
        closing.setGeometry(normal);
        closing.setWindowState(row.closedIn);
        SavePlacement(closing, *settings);
        Reopen();
        QWidget opening;
        RestorePlacement(opening, *settings);
        EXPECT_EQ(opening.normalGeometry(), normal) << row.closedIn.toInt();
        EXPECT_EQ(opening.isMaximized(), row.opensMaximized) << row.closedIn.toInt();
        EXPECT_FALSE(opening.isMinimized());
    }
}

TEST_F(WindowSettingsTest, PlacementOffEveryScreenOpensOnThePrimary) {
    WindowPlacement placement;
    placement.normal = {30000, 30000, 30640, 30420};
    settings->setValue("MainFramePos", Record(placement));
    QWidget window;
    RestorePlacement(window, *settings);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(window.geometry()));
    EXPECT_EQ(window.size(), QSize(640, 420));
}

TEST_F(WindowSettingsTest, DamagedPlacementChangesNothing) {
    WindowPlacement placement;
    placement.normal = {10, 10, 500, 400};
    const QByteArray good = Record(placement);
    QByteArray wrongLength = good;
    wrongLength[0] = 40;
    QByteArray emptyRect = Record({0, kShowMaximized, -1, -1, -1, -1, {10, 10, 10, 400}});
    const QVariant table[] = {good.left(43), good + '\0', wrongLength, QString::fromLatin1(good.toHex()), 44};
    for (const QVariant& value : table) {
        settings->setValue("MainFramePos", value);
        QWidget window;
        window.setGeometry(200, 150, 300, 250);
        RestorePlacement(window, *settings);
        EXPECT_EQ(window.geometry(), QRect(200, 150, 300, 250)) << value.typeName();
        EXPECT_FALSE(window.isMaximized());
    }
    settings->setValue("MainFramePos", emptyRect);
    QWidget window;
    window.setGeometry(200, 150, 300, 250);
    RestorePlacement(window, *settings);
    EXPECT_EQ(window.normalGeometry(), QRect(200, 150, 300, 250)) << "an empty rectangle keeps the size";
    EXPECT_TRUE(window.isMaximized()) << "the state still applies";
}

TEST_F(WindowSettingsTest, SwappedBandsComeBackInTheirOrderAndWidth) {
    BandedWindow closing;
    closing.Show();
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
    opening.Show();
    EXPECT_TRUE(opening.toolBand->isHidden());
    opening.toolBand->show();
    QApplication::processEvents();
    EXPECT_TRUE(opening.ToolBandFirstInOneRow());
    EXPECT_EQ(opening.toolBand->width(), 200);

    // Taking hold of the band lets it go.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(opening.toolBand, &press);
    QApplication::processEvents();
    EXPECT_GT(opening.toolBand->width(), 200);
}

TEST_F(WindowSettingsTest, DamagedBandValuesChangeOnlyWhatIsSound) {
    // Over a saved swap with a negative width, one value damaged per row.
    const struct {
        const char* name;
        QVariant value;
        bool swapped;
    } table[] = {
        {"ReBar0CX", -5, true},
        {"ReBarBandCount", 9, true},
        {"ReBarBandCount", "two", false},
        {"ReBarBandCount", QByteArray("2"), false},
        {"ReBar0ID", QStringList{"60161"}, false},
        {"ReBar0ID", 60999, false},
    };
    for (const auto& row : table) {
        settings->clear();
        settings->setValue("ReBarBandCount", 2);
        settings->setValue("ReBar0ID", 60161);
        settings->setValue("ReBar0BreakLine", 0);
        settings->setValue(row.name, row.value);
        Reopen();
        BandedWindow window;
        RestoreBands(window.window, *settings);
        window.Show();
        EXPECT_EQ(window.ToolBandFirstInOneRow(), row.swapped) << row.name << " " << row.value.typeName();
        EXPECT_EQ(window.window.toolBarBreak(window.toolBand), !row.swapped) << row.name;
        EXPECT_TRUE(window.menuBand->isVisible() && window.toolBand->isVisible());
        EXPECT_EQ(window.window.findChildren<QToolBar*>().size(), 2);
    }
}

}  // namespace
}  // namespace twinseek
