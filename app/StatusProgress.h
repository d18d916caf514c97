// The progress indicator over the status bar while a long operation blocks
// the user interface: its text in a single pane, a bar near the right end.
#pragma once

#include "controls/WaitCursor.h"
#include "compare/ProgressIndicator.h"

#include <QPointer>
#include <QProgressBar>

#include <cstdint>
#include <optional>


namespace twinseek {

class MainStatusBar;

class StatusProgress final : public ProgressIndicator {
public:
    // The bar's place: kWidth pixels wide, ending kRightGap pixels before the
    // right edge of the status bar.
    static constexpr int kWidth = 90;
    static constexpr int kRightGap = 60;

    StatusProgress();
    ~StatusProgress() override;
    StatusProgress(const StatusProgress&) = delete;
    StatusProgress& operator=(const StatusProgress&) = delete;

    // The status bar to draw over; until then only the wait cursor shows.
    void Attach(MainStatusBar* bar);

    void ProgressStart(std::string_view text, int32_t range) override;
    void ProgressStep() override;
    void ProgressEnd() override;

    // The bar while an operation runs, else null.
    QProgressBar* Control() const { return control; }

private:
    QPointer<MainStatusBar> statusBar;
    QPointer<QProgressBar> control;
    std::optional<WaitCursor> waitCursor;
    int32_t range = 0;
    int64_t position = 0;
    int shownPercent = 0;
};

}  // namespace twinseek
