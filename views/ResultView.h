// The result view: the duplicate groups by size category on the left, their
// files with tick boxes on the right.
#pragma once

#include <QWidget>

class QSplitter;

namespace twinseek {

class AppSession;

class ResultView : public QWidget {
    Q_OBJECT
public:
    explicit ResultView(AppSession& session, QWidget* parent = nullptr);
    ~ResultView() override;

    // Rows ticked for deletion.
    int TickedCount() const;
    // Left/right division, in pixels.
    void SetSplitterPosition(int vertical);

private:
    AppSession& session;
    QSplitter* splitter;
};

}  // namespace twinseek
