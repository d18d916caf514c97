#include "controls/ScanAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

#include <cmath>

namespace twinseek {

ScanAnimation::ScanAnimation(QWidget* parent) : QWidget(parent) {
    setObjectName("scanAnimation");
    setAccessibleName("Scanning");
    setFixedSize(kSide, kSide);
    setAttribute(Qt::WA_TranslucentBackground);
}

void ScanAnimation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer.start(kFrameMilliseconds, this);
}

void ScanAnimation::hideEvent(QHideEvent* event) {
    timer.stop();
    QWidget::hideEvent(event);
}

void ScanAnimation::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer.timerId()) return QWidget::timerEvent(event);
    frame = (frame + 1) % kFrameCount;
    update();
}

void ScanAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colours = palette();

    // Three pages, the front one with lines of text.
    for (int page = 2; page >= 0; --page) {
        const QRectF sheet(8 + page * 4, 6 + page * 3, 24, 30);
        painter.setPen(QPen(colours.color(QPalette::Mid), 1));
        painter.setBrush(page == 0 ? colours.color(QPalette::Base) : colours.color(QPalette::AlternateBase));
        painter.drawRect(sheet);
    }
    painter.setPen(QPen(colours.color(QPalette::Mid), 1.5));
    for (int line = 0; line < 5; ++line) painter.drawLine(QPointF(12, 12 + line * 5), QPointF(line == 4 ? 22 : 28, 12 + line * 5));

    // The magnifier walks a figure of eight over the pages, twice round per loop.
    const double turn = 2 * M_PI * 2 * frame / kFrameCount;
    const QPointF centre(24 + 10 * std::sin(turn), 22 + 6 * std::sin(2 * turn));
    const double radius = 8;
    QColor glass = colours.color(QPalette::Highlight);
    glass.setAlpha(70);
    painter.setBrush(glass);
    painter.setPen(QPen(colours.color(QPalette::Highlight).darker(130), 2.5));
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(colours.color(QPalette::WindowText), 4, Qt::SolidLine, Qt::RoundCap));
    const QPointF handle = centre + QPointF(radius * 0.72, radius * 0.72);
    painter.drawLine(handle, handle + QPointF(8, 8));
}

}  // namespace twinseek
