#include "app/MainStatusBar.h"

#include "compare/StatusPanes.h"
#include "session/CommandTable.h"

#include <QLabel>
#include <QLayout>
#include <QSizeGrip>
#include <QStyle>

#include <algorithm>

namespace twinseek {

namespace {

constexpr int kPaneMargin = 3;

// The width a pane needs to show its present text whole.
int TextWidth(const QLabel& pane) {
    if (pane.text().isEmpty()) return 0;
    const QMargins margins = pane.contentsMargins();
    return pane.fontMetrics().horizontalAdvance(pane.text()) + margins.left() + margins.right() + 2 * pane.frameWidth();
}

// A pane that asks for its template's width and, where the bar is narrower,
// gives way down to its present text: an empty pane gives way first.
class PaneLabel final : public QLabel {
public:
    PaneLabel(int width, QWidget* parent) : QLabel(parent), width(width) {}
    QSize sizeHint() const override { return {width, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {TextWidth(*this), QLabel::minimumSizeHint().height()}; }

private:
    int width;
};

// What each pane is about, for screen readers: its text is what they read
// as its name, so that they tell what a sighted user sees.
constexpr const char* kPaneDescriptions[MainStatusBar::kPaneCount] = {
    "Status", "Bytes compared", "Files compared", "Percent compared", "Time elapsed", "Time left", "Reading speed",
};

QLabel* MakePane(QLabel* pane, const QString& name, const char* description) {
    pane->setObjectName(name);
    pane->setAccessibleDescription(description);
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
    panes[0] = MakePane(new QLabel(kReadyText, this), "statusPane0", kPaneDescriptions[0]);
    // Pane 0 takes what the others leave; its least width is set with its text.
    panes[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(panes[0], 1);
    for (int index = 1; index < kPaneCount; ++index) {
        // As wide as the template, or as the widest text the pane shows where
        // that is wider in the desktop's font.
        int textWidth = 0;
        for (const std::string& text : PaneWidestTexts(size_t(index)))
            textWidth = std::max(textWidth, metrics.horizontalAdvance(QString::fromStdString(text)));
        paneWidths[size_t(index)] = textWidth + gap + 2 * kPaneMargin;
        panes[size_t(index)] = MakePane(new PaneLabel(paneWidths[size_t(index)], this),
                                        QString("statusPane%1").arg(index), kPaneDescriptions[index]);
        panes[size_t(index)]->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
        addWidget(panes[size_t(index)]);
    }
    single = MakePane(new QLabel(this), "statusSinglePane", "Status");
    single->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    single->hide();
    addWidget(single, 1);
}

void MainStatusBar::SetPaneText(int index, const QString& text) {
    QLabel* pane = panes[size_t(index)];
    if (pane->text() == text) return;
    pane->setText(text);
    FitFirstPane();
}

void MainStatusBar::FitFirstPane() {
    // Pane 0's text wins over the others' room, down to their own texts, but
    // never widens the window: the least width of the whole bar stays within it.
    panes[0]->setMinimumWidth(0);
    // The bar's layout holds the panes in layouts of its own, each caching its size.
    for (QLayout* part : findChildren<QLayout*>()) part->invalidate();
    layout()->invalidate();
    const int room = std::max(0, width() - layout()->totalMinimumSize().width());
    panes[0]->setMinimumWidth(std::min(TextWidth(*panes[0]), room));
}

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
