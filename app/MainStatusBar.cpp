#include "app/MainStatusBar.h"

#include "session/CommandTable.h"

#include <QLabel>
#include <QSizeGrip>
#include <QStyle>

namespace twinseek {

namespace {

// Never shown: each pane is as wide as its template in the bar's font.
constexpr const char* kPaneTemplates[MainStatusBar::kPaneCount] = {
    nullptr,
    "Size: 9999999999999999999999999999999999",
    "Completed: 999999999999999",
    "Percent: 100%   100%",
    "Elapsed: HH:MM:SS",
    "Left: HH:MM:SS",
    "Speed: 999999999 bytes/s",
};
constexpr int kPaneMargin = 3;

// A pane that asks for its template's width but gives way when the bar is
// narrower, so the panes never hold the window wider than the screen.
class PaneLabel final : public QLabel {
public:
    PaneLabel(int width, QWidget* parent) : QLabel(parent), width(width) {}
    QSize sizeHint() const override { return {width, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

private:
    int width;
};

QLabel* MakePane(QLabel* pane, const QString& name) {
    pane->setObjectName(name);
    pane->setAccessibleName(name);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setContentsMargins(kPaneMargin - 1, 0, kPaneMargin - 1, 0);
    return pane;
}

}  // namespace

MainStatusBar::MainStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName("statusBar");
    setAccessibleName("Status bar");
    setSizeGripEnabled(true);
    if (auto* grip = findChild<QSizeGrip*>()) {
        grip->setObjectName("sizeGrip");
        grip->setAccessibleName("Size grip");
    }

    int gap = style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, this);
    if (gap < 0) gap = 6;
    const QFontMetrics metrics(font());
    panes[0] = MakePane(new QLabel(kReadyText, this), "statusPane0");
    // Pane 0 takes what the others leave, but never less than its own text.
    panes[0]->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    addWidget(panes[0], 1);
    for (int index = 1; index < kPaneCount; ++index) {
        paneWidths[size_t(index)] = metrics.horizontalAdvance(kPaneTemplates[index]) + gap + 2 * kPaneMargin;
        panes[size_t(index)] =
            MakePane(new PaneLabel(paneWidths[size_t(index)], this), QString("statusPane%1").arg(index));
        panes[size_t(index)]->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
        addWidget(panes[size_t(index)]);
    }
    single = MakePane(new QLabel(this), "statusSinglePane");
    single->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    single->hide();
    addWidget(single, 1);
}

void MainStatusBar::SetPaneText(int index, const QString& text) { panes[size_t(index)]->setText(text); }

int MainStatusBar::PaneWidth(int index) const { return paneWidths[size_t(index)]; }

void MainStatusBar::ShowSinglePane(const QString& text) {
    single->setText(text);
    if (singlePane) return;
    singlePane = true;
    // Hidden here rather than by a status message, which an empty prompt would end.
    for (QLabel* pane : panes) pane->hide();
    single->show();
}

void MainStatusBar::ShowPanes() {
    if (!singlePane) return;
    singlePane = false;
    single->hide();
    single->clear();
    for (QLabel* pane : panes) pane->show();
}

}  // namespace twinseek
