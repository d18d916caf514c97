#include "app/WindowSettings.h"

#include "session/BandLayout.h"
#include "session/WindowPlacement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QToolBar>

#include <algorithm>
#include <span>
#include <vector>

namespace twinseek {
namespace {

const char kPlacementName[] = "MainFramePos";
const char kBandPrefix[] = "ReBar";

// The user's settings as named numbers. QSettings in its INI form hands numbers
// back as text, so text that reads wholly as a number counts as one.
class QSettingsNumbers final : public SettingsNumbers {
public:
    explicit QSettingsNumbers(QSettings& settings) : settings(settings) {}

    std::optional<int64_t> ReadNumber(const std::string& name) const override {
        const QVariant value = settings.value(QString::fromStdString(name));
        switch (value.typeId()) {
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong: return value.toLongLong();
            case QMetaType::QString: {
                bool ok = false;
                const qlonglong number = value.toString().toLongLong(&ok);
                if (ok) return number;
                return std::nullopt;
            }
            default: return std::nullopt;
        }
    }

    void WriteNumber(const std::string& name, int64_t value) override {
        settings.setValue(QString::fromStdString(name), int(value));
    }

private:
    QSettings& settings;
};

struct BandBar {
    uint32_t id;
    QToolBar* bar;
};

// The bands in their order row by row: the main window's layout lists the
// top area's tool bars line by line, hidden ones included. A band moved to
// another area comes last.
std::vector<BandBar> FindBands(const QMainWindow& window) {
    const BandBar known[] = {{kMenuBandId, window.findChild<QToolBar*>("menuBand")},
                             {kToolBandId, window.findChild<QToolBar*>("toolBand")}};
    std::vector<BandBar> bands;
    auto take = [&](QWidget* widget) {
        for (const BandBar& band : known) {
            const bool listed = std::any_of(bands.begin(), bands.end(), [&](const BandBar& b) { return b.bar == band.bar; });
            if (band.bar && band.bar == widget && !listed) bands.push_back(band);
        }
    };
    if (const QLayout* layout = window.layout()) {
        for (int i = 0; const QLayoutItem* item = layout->itemAt(i); ++i) {
            if (auto* bar = qobject_cast<QToolBar*>(item->widget()); bar && window.toolBarArea(bar) == Qt::TopToolBarArea)
                take(bar);
        }
    }
    for (const BandBar& band : known) take(band.bar);
    return bands;
}

// Holds a band at the width restored for it until the user takes hold of it,
// so that a drag is never fenced in by an old width.
class RestoredWidth final : public QObject {
public:
    RestoredWidth(QToolBar* bar, int width) : QObject(bar), bar(bar) {
        bar->setMaximumWidth(width);
        bar->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == bar && event->type() == QEvent::MouseButtonPress) {
            bar->setMaximumWidth(QWIDGETSIZE_MAX);
            deleteLater();
        }
        return false;
    }

private:
    QToolBar* bar;
};

void ReleaseRestoredWidth(QToolBar* bar) {
    const QObjectList children = bar->children();
    for (QObject* child : children) delete dynamic_cast<RestoredWidth*>(child);
    bar->setMaximumWidth(QWIDGETSIZE_MAX);
}

PlacementRect ToPlacementRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

}  // namespace

void RestorePlacement(QWidget& window, QSettings& settings) {
    // Only a binary record is a placement; text or a number is left alone.
    const QVariant value = settings.value(kPlacementName);
    if (value.typeId() != QMetaType::QByteArray) return;
    const QByteArray bytes = value.toByteArray();
    const std::optional<WindowPlacement> placement = DecodePlacement(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
    if (!placement) return;

    std::vector<PlacementRect> areas;
    size_t primary = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen == QGuiApplication::primaryScreen()) primary = areas.size();
        areas.push_back(ToPlacementRect(screen->availableGeometry()));
    }
    if (const auto rect = PlaceOnScreens(placement->normal, areas, primary)) {
        window.setGeometry(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    }
    const Qt::WindowStates kept =
        window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    window.setWindowState(StartStateOf(*placement) == StartState::Maximized ? kept | Qt::WindowMaximized : kept);
}

void SavePlacement(const QWidget& window, QSettings& settings) {
    WindowPlacement placement;
    const Qt::WindowStates state = window.windowState();
    const bool maximized = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state & Qt::WindowMinimized) {
        placement.showState = kShowMinimized;
        if (maximized) placement.flags |= kRestoreToMaximized;
    } else if (maximized) {
        placement.showState = kShowMaximized;
    }
    const QRect normal = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    placement.normal = ToPlacementRect(normal);
    const auto record = EncodePlacement(placement);
    settings.setValue(kPlacementName, QByteArray(reinterpret_cast<const char*>(record.data()), qsizetype(record.size())));
}

void RestoreBands(QMainWindow& window, QSettings& settings) {
    const std::vector<BandBar> found = FindBands(window);
    if (found.empty()) return;
    std::vector<Band> current;
    for (const BandBar& band : found) current.push_back({band.id, band.bar->width(), window.toolBarBreak(band.bar)});
    const std::vector<RestoredBand> restored = RestoreBandLayout(QSettingsNumbers(settings), kBandPrefix, current);

    auto barOf = [&](uint32_t id) {
        return std::find_if(found.begin(), found.end(), [&](const BandBar& b) { return b.id == id; })->bar;
    };
    // Taking a bar out hides it; it is shown again only if it was shown before.
    std::vector<bool> shown;
    for (const RestoredBand& band : restored) shown.push_back(barOf(band.band.id)->isVisibleTo(&window));
    for (const RestoredBand& band : restored) window.removeToolBar(barOf(band.band.id));
    for (size_t i = 0; i < restored.size(); ++i) {
        QToolBar* bar = barOf(restored[i].band.id);
        window.addToolBar(Qt::TopToolBarArea, bar);
        if (restored[i].band.breakBefore) window.insertToolBarBreak(bar);
        bar->setVisible(shown[i]);
    }
    // The last band of a row takes the rest of it; an earlier band narrower
    // than its buttons keeps its width and shows the rest in its extension menu.
    for (size_t i = 0; i < restored.size(); ++i) {
        QToolBar* bar = barOf(restored[i].band.id);
        ReleaseRestoredWidth(bar);
        const int width = restored[i].band.width;
        if (restored[i].widthStored && !EndsRow(restored, i) && width < bar->sizeHint().width()) {
            new RestoredWidth(bar, std::max(width, bar->minimumSizeHint().width()));
        }
    }
}

void SaveBands(const QMainWindow& window, QSettings& settings) {
    std::vector<Band> bands;
    for (const BandBar& band : FindBands(window)) {
        const bool inTopArea = window.toolBarArea(band.bar) == Qt::TopToolBarArea;
        const bool breakBefore = !bands.empty() && (!inTopArea || window.toolBarBreak(band.bar));
        bands.push_back({band.id, band.bar->width(), breakBefore});
    }
    QSettingsNumbers numbers(settings);
    SaveBandValues(numbers, kBandPrefix, bands);
}

}  // namespace twinseek
