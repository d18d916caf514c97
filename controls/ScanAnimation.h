// The scanning page's moving picture: a magnifier sweeping over a stack of
// pages, 48 x 48 pixels, one frame every 100 ms, looping while it is shown.
#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace twinseek {

class ScanAnimation final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 48;
    static constexpr int kFrameCount = 140;
    static constexpr int kFrameMilliseconds = 100;

    explicit ScanAnimation(QWidget* parent = nullptr);

    int Frame() const { return frame; }
    bool Running() const { return timer.isActive(); }
    QSize sizeHint() const override { return {kSide, kSide}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    // Runs only while shown, as an auto-playing animation control does.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QBasicTimer timer;
    int frame = 0;
};

}  // namespace twinseek
