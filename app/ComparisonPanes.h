// Keeps the status panes that follow a comparison up to date: sizes, counts,
// percentage, time spent and left, and speed; and when a comparison ends, says
// in pane 0 for a few seconds what it found, then "Ready" again.
#pragma once

#include "session/ComparisonProgress.h"

#include <QObject>
#include <QTimer>

namespace twinseek {

class AppSession;
class MainStatusBar;

class ComparisonPanes final : public QObject {
    Q_OBJECT
public:
    // bar must outlive this.
    explicit ComparisonPanes(MainStatusBar& bar, QObject* parent = nullptr);

    // The idle update's part, with the tick count of now.
    void Update(AppSession& session, uint32_t tick);

private:
    MainStatusBar& bar;
    ComparisonProgress progress;
    QTimer* endTextTimer;
};

}  // namespace twinseek
