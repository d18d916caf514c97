#include "app/Icons.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace twinseek {
namespace {

const int kCommandsWithPictures[] = {57600, 57601, 57603, 57604, 57665, 32779, 32781,
                                     32782, 32790, 32783, 32787, 32789, 57664};

// Points the icon theme at a folder of our own for the length of a test.
class IconsTest : public testing::Test {
protected:
    void SetUp() override {
        savedPaths = QIcon::themeSearchPaths();
        savedTheme = QIcon::themeName();
        QIcon::setThemeSearchPaths({folder.path()});
    }
    void TearDown() override {
        QIcon::setThemeSearchPaths(savedPaths);
        QIcon::setThemeName(savedTheme);
    }
    // A theme that has document-new only, as a plain green square.
    void MakeTheme() {
        QDir(folder.path()).mkpath("plain/24x24/actions");
        QFile index(folder.filePath("plain/index.theme"));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Plain\nDirectories=24x24/actions\n\n[24x24/actions]\nSize=24\nType=Fixed\n");
        index.close();
        QImage square(24, 24, QImage::Format_ARGB32);
        square.fill(Qt::green);
        ASSERT_TRUE(square.save(folder.filePath("plain/24x24/actions/document-new.png")));
        QIcon::setThemeName("plain");
    }
    static int OpaquePixels(const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 0;
        return count;
    }

    QTemporaryDir folder;
    QStringList savedPaths;
    QString savedTheme;
};

TEST_F(IconsTest, BareMachineShowsOurOwnDrawings) {
    QIcon::setThemeName("none-installed");
    for (int id : kCommandsWithPictures) {
        const QImage image = CommandIcon(id).pixmap(24, 24).toImage();
        EXPECT_EQ(image.size(), QSize(24, 24)) << id;
        EXPECT_GT(OpaquePixels(image), 40) << id;
    }
    EXPECT_GT(OpaquePixels(ProgramIcon().pixmap(64, 64).toImage()), 1000);
    EXPECT_TRUE(CommandIcon(59392).isNull()) << "Toolbar toggle";
    EXPECT_TRUE(CommandIcon(59393).isNull()) << "Status Bar toggle";
    EXPECT_TRUE(CommandIcon(1).isNull());
}

TEST_F(IconsTest, ThemeIconWinsWhereTheThemeHasOne) {
    MakeTheme();
    EXPECT_EQ(CommandIcon(57600).pixmap(24, 24).toImage().pixel(12, 12), QColor(Qt::green).rgb());
    const QImage open = CommandIcon(57601).pixmap(24, 24).toImage();
    EXPECT_GT(OpaquePixels(open), 40) << "Open falls back to our folder";
    EXPECT_NE(open.pixel(12, 12), QColor(Qt::green).rgb());
}

TEST_F(IconsTest, OurDrawingsHaveHotAndDisabledLooks) {
    QIcon::setThemeName("none-installed");
    const QIcon icon = CommandIcon(32790);  // Stop: a red square
    const QImage normal = icon.pixmap(24, 24, QIcon::Normal).toImage();
    const QImage hot = icon.pixmap(24, 24, QIcon::Active).toImage();
    const QImage disabled = icon.pixmap(24, 24, QIcon::Disabled).toImage();
    const QColor centre = normal.pixelColor(12, 12);
    EXPECT_GT(hot.pixelColor(12, 12).lightness(), centre.lightness());
    EXPECT_EQ(hot.pixelColor(12, 12).hue(), centre.hue());
    const QColor grey = disabled.pixelColor(12, 12);
    EXPECT_EQ(grey.saturation(), 0);
    EXPECT_LT(grey.alpha(), centre.alpha());
}

}  // namespace
}  // namespace twinseek
