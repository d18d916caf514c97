#include "app/Icons.h"

#include <QIconEngine>
#include <QPainter>

// The pictures are linked from a static library, whose resource registration
// the linker would drop unless something calls it.
static void RegisterPictures() { Q_INIT_RESOURCE(twinseek); }

namespace twinseek {
namespace {

struct CommandPicture {
    int commandId;
    const char* themeName;  // also the name of our own drawing in :/icons/
};

constexpr CommandPicture kPictures[] = {
    {57600, "document-new"},         {57601, "document-open"},        {57603, "document-save"},
    {57604, "document-save-as"},     {57665, "application-exit"},     {32779, "drive-harddisk"},
    {32781, "edit-find"},            {32782, "media-playback-pause"}, {32790, "media-playback-stop"},
    {32783, "edit-delete"},          {32787, "view-list-tree"},       {32789, "view-list-details"},
};
constexpr int kAboutId = 57664;

// Our drawings in all modes: the hot look (pointer over a tool button) a little
// brighter, the disabled look grey and faint, so the bundled pictures behave
// like a theme's.
class DrawingEngine final : public QIconEngine {
public:
    explicit DrawingEngine(const QString& path) : drawing(path) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QImage image = drawing.pixmap(size * scale, QIcon::Normal, state).toImage().convertToFormat(QImage::Format_ARGB32);
        if (mode == QIcon::Active || mode == QIcon::Disabled) {
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) line[x] = Restyle(line[x], mode);
            }
        }
        QPixmap result = QPixmap::fromImage(image);
        result.setDevicePixelRatio(scale);
        return result;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State state) override {
        return drawing.actualSize(size, QIcon::Normal, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return drawing.availableSizes(); }
    QIconEngine* clone() const override { return new DrawingEngine(*this); }
    QString key() const override { return QStringLiteral("TwinseekDrawing"); }

private:
    static QRgb Restyle(QRgb pixel, QIcon::Mode mode) {
        const int alpha = qAlpha(pixel);
        if (mode == QIcon::Disabled) {
            const int grey = 128 + qGray(pixel) / 3;
            return qRgba(grey, grey, grey, alpha * 2 / 5);
        }
        const QColor hot = QColor::fromRgb(pixel).lighter(118);
        return qRgba(hot.red(), hot.green(), hot.blue(), alpha);
    }

    QIcon drawing;
};

QIcon Drawing(const char* name) {
    static const bool registered = (RegisterPictures(), true);
    (void)registered;
    return QIcon(new DrawingEngine(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name))));
}

}  // namespace

QIcon CommandIcon(int commandId) {
    if (commandId == kAboutId) return QIcon::fromTheme(QStringLiteral("help-about"), ProgramIcon());
    for (const CommandPicture& picture : kPictures) {
        if (picture.commandId == commandId) return QIcon::fromTheme(picture.themeName, Drawing(picture.themeName));
    }
    return QIcon();
}

QIcon ProgramIcon() { return QIcon::fromTheme(QStringLiteral("twinseek"), Drawing("twinseek")); }

}  // namespace twinseek
