// The one top-level window: menus and tool bar in two bands, the status bar,
// and the files view or the result view between them.
#pragma once

#include "compare/CompareView.h"
#include "compare/ProgressIndicator.h"
#include "document/HeadlessPrompts.h"
#include "session/AppSession.h"

#include <QMainWindow>

#include <memory>

class QStackedWidget;

namespace twinseek {

class FilesView;
class ResultView;

class MainWindow : public QMainWindow, private CompareView {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    AppSession& Session() { return session; }
    FilesView& Files() { return *filesView; }
    ResultView& Results() { return *resultView; }

private:
    // What the compare engine asks of the windows.
    ListId FileListId() const override;
    void Repaint(uint32_t lists) override;
    void ShowInGroup(FileItem* item, size_t count) override;

    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    AppSession session;
    QStackedWidget* client;
    FilesView* filesView;
    ResultView* resultView;
};

}  // namespace twinseek
