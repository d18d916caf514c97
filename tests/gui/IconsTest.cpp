// The command and program icons: the theme's where it has one, else our own
// drawings, with hot and disabled looks.
#include "app/Icons.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace twinseek {
namespace {

// Points the icon theme at a folder of our own for the length of a test.
class IconsTest : public testing::Test {
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
    for (int id : {57600, 57601, 57603, 57604, 57665, 32779, 32781, 32782, 32790, 32783, 32787, 32789, 57664}) {
        EXPECT_GT(OpaquePixels(CommandIcon(id).pixmap(24, 24).toImage()), 40) << id;
    }
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
    QFile index(folder.filePath("plain/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Plain\nDirectories=24x24/actions\n\n[24x24/actions]\nSize=24\nType=Fixed\n");
    index.close();
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
}  // namespace twinseek
