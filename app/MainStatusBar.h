// The main window's status bar: "Ready" and six panes as wide as their
// templates or their widest texts, or a single pane for a menu prompt or a
// progress text.
#pragma once

#include "compare/StatusPanes.h"

#include <QStatusBar>

#include <array>

class QLabel;

namespace twinseek {

class MainStatusBar final : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPaneCount = int(kStatusPaneCount);

    explicit MainStatusBar(QWidget* parent = nullptr);

    // Pane 0 holds "Ready"; panes 1 to 6 follow the comparison.
    QLabel* Pane(int index) const { return panes[size_t(index)]; }
    void SetPaneText(int index, const QString& text);
    // The width a pane takes in the bar's font, with its margins.
    int PaneWidth(int index) const;

    // One pane across the bar showing text (which may be empty), until ShowPanes.
    void ShowSinglePane(const QString& text);
    void ShowPanes();
    bool IsSinglePane() const { return singlePane; }
    QLabel* SinglePane() const { return single; }

private:
    void FitFirstPane();

    std::array<QLabel*, kPaneCount> panes{};
    std::array<int, kPaneCount> paneWidths{};
    QLabel* single;
    bool singlePane = false;
};

}  // namespace twinseek
