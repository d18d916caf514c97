#include "app/StatusProgress.h"

#include "app/MainStatusBar.h"
#include "controls/WaitCursor.h"
#include "session/ProgressPercent.h"

#include <QLabel>
#include <QLayout>
#include <QProgressBar>

namespace twinseek {

StatusProgress::StatusProgress() = default;

StatusProgress::~StatusProgress() { delete control; }

void StatusProgress::Attach(MainStatusBar* bar) { statusBar = bar; }

void StatusProgress::ProgressStart(std::string_view text, int32_t steps) {
    // A second start replaces the first rather than stacking a second bar.
    if (waitCursor) ProgressEnd();
    waitCursor.emplace();
    range = steps;
    position = 0;
    shownPercent = 0;
    if (!statusBar) return;

    statusBar->ShowSinglePane(QString::fromUtf8(text.data(), qsizetype(text.size())));
    if (QLayout* layout = statusBar->layout()) layout->activate();
    const QRect pane = statusBar->SinglePane()->geometry();
    const int right = statusBar->width();
    control = new QProgressBar(statusBar);
    control->setObjectName("statusProgress");
    control->setAccessibleName("Progress");
    control->setRange(0, 100);
    control->setValue(0);
    control->setTextVisible(false);
    control->setGeometry(QRect(QPoint(right - kRightGap - kWidth, pane.top() + 2),
                               QPoint(right - kRightGap - 1, pane.bottom() - 2)));
    control->show();
    // The operation holds the event loop, so the bar is drawn now or never.
    statusBar->repaint();
}

void StatusProgress::ProgressStep() {
    ++position;
    const int percent = ProgressPercent(position, range);
    if (percent == shownPercent) return;
    shownPercent = percent;
    if (!control) return;
    control->setValue(percent);
    control->repaint();
}

void StatusProgress::ProgressEnd() {
    delete control;
    if (statusBar) statusBar->ShowPanes();
    waitCursor.reset();
}

}  // namespace twinseek
