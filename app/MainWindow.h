// The one top-level window: menus and tool bar in two bands, the status bar,
// and the files view or the result view between them. It runs the commands
// and, whenever the event queue drains, brings their states up to date.
#pragma once

#include "app/DialogPrompts.h"
#include "app/StatusProgress.h"
#include "compare/CompareView.h"
#include "document/DocumentView.h"
#include "session/AppSession.h"
#include "session/CommandStates.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QSet>
#include <QTimer>

class QKeyEvent;
class QMenu;
class QMenuBar;
class QStackedWidget;
class QToolBar;

namespace twinseek {

class ComparisonPanes;
class DriveSource;
class FilesView;
class MainStatusBar;
class ResultView;

class MainWindow : public QMainWindow, private CompareView, private DocumentView {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    AppSession& Session() { return session; }
    FilesView& Files() { return *filesView; }
    ResultView& Results() { return *resultView; }
    MainStatusBar& StatusPanes() { return *statusPanes; }
    StatusProgress& Progress() { return progress; }
    QAction* Action(CommandId id) const { return actions.value(id); }

    // Runs a command as its menu item, tool-bar button or key does.
    void RunCommand(CommandId id);
    // The top-level items of Scan Disk's folder tree; the mounted drives unless set.
    void SetScanDrives(const DriveSource* drives) { scanDrives = drives; }
    // The idle update: enabled, checked and text states of the commands, and
    // the status panes that follow the comparison.
    void UpdateCommandStates();
    // Runs the idle update once the events now queued have been handled.
    void RequestIdleUpdate() { idleTimer.start(); }

signals:
    // The close was accepted and the settings saved: the program ends.
    void closedForGood();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // No menu of bands to hide: the menu band always stays.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    // What the compare engine asks of the windows.
    ListId FileListId() const override;
    void Repaint(uint32_t lists) override;
    void ShowInGroup(FileItem* item, size_t count) override;
    // The document was replaced: show what it holds now.
    void UpdateFromDocument() override;

    void CreateActions();
    void CreateMenuBand();
    void CreateToolBand();
    void NameBandParts();
    void CreateAccelerators();
    void ShowMenuPrompt(QAction* action);
    // The message box of a command refused while comparing; true when refused.
    bool RefuseWhileComparing();
    void ShowView(QWidget* view);
    void ToggleToolBar();
    // Keys of the accelerator table pressed in this window outside menus.
    bool IsAcceleratorKey(QObject* receiver, const QKeyEvent& key) const;

    DialogPrompts prompts;
    StatusProgress progress;
    AppSession session;

    QStackedWidget* client = nullptr;
    FilesView* filesView = nullptr;
    ResultView* resultView = nullptr;
    MainStatusBar* statusPanes = nullptr;
    ComparisonPanes* comparisonPanes = nullptr;
    QToolBar* menuBand = nullptr;
    QToolBar* toolBand = nullptr;
    QMenuBar* menuBar = nullptr;
    QList<QMenu*> menus;
    QHash<int, QAction*> actions;
    // Tool buttons without a tip of their own, whose label Qt would show instead.
    QSet<QObject*> buttonsWithoutTip;
    QList<int> acceleratorKeys;

    const DriveSource* scanDrives = nullptr;
    QTimer idleTimer;
    bool toolBarVisible = true;
    bool splittersPlaced = false;
    bool closed = false;
    int openMenus = 0;
};

}  // namespace twinseek
