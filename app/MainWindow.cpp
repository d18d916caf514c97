#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/ComparisonPanes.h"
#include "app/CleanupCommands.h"
#include "app/Icons.h"
#include "app/MainStatusBar.h"
#include "app/MarkCommands.h"
#include "app/ScanDiskCommand.h"
#include "controls/WaitCursor.h"
#include "app/WindowSettings.h"
#include "platform/TickCount.h"
#include "session/CommandTable.h"
#include "views/FilesView.h"
#include "views/ResultView.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOption>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace twinseek {

namespace {

constexpr int kToolImageSize = 24;
constexpr int kMenuImageSize = 16;
constexpr CommandId kMenuImageCommands[] = {kCommandNew,          kCommandOpen,  kCommandSave,  kCommandScanDisk,
                                            kCommandCompareFiles, kCommandPause, kCommandDelete};

QString Text(const char* text) { return QString::fromUtf8(text); }

// "S&top Compare" becomes "StopCompare", for object names.
QString Identifier(const char* menuText) {
    QString name = Text(menuText).section('\t', 0, 0);
    name.remove('&').remove('.').remove(' ');
    return name;
}

// The command's picture with its three looks: normal, greyed, and lit under
// the mouse.
QIcon ToolIcon(CommandId id, const QStyle& style) {
    const QIcon source = CommandIcon(id);
    if (source.isNull()) return source;
    QIcon icon;
    for (int size : {kMenuImageSize, kToolImageSize}) {
        const QPixmap normal = source.pixmap(size, size);
        icon.addPixmap(normal, QIcon::Normal);
        QStyleOption option;
        icon.addPixmap(style.generatedIconPixmap(QIcon::Disabled, normal, &option), QIcon::Disabled);
        QPixmap hot = normal;
        QPainter painter(&hot);
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.fillRect(hot.rect(), QColor(255, 255, 255, 70));
        painter.end();
        icon.addPixmap(hot, QIcon::Active);
    }
    return icon;
}

bool MovesOrPaints(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::HoverMove:
    case QEvent::TabletMove:
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::Expose:
    case QEvent::Timer:
        return true;
    default:
        return false;
    }
}

}  // namespace

MainWindow::MainWindow() : session(prompts, progress, *this) {
    setObjectName("mainWindow");
    setAccessibleName(kProgramTitle);
    setWindowTitle(kProgramTitle);
    setWindowIcon(ProgramIcon());

    CreateActions();
    CreateMenuBand();
    CreateToolBand();

    statusPanes = new MainStatusBar(this);
    setStatusBar(statusPanes);
    comparisonPanes = new ComparisonPanes(*statusPanes, this);
    progress.Attach(statusPanes);

    client = new QStackedWidget(this);
    client->setObjectName("client");
    client->setAccessibleName("Views");
    resultView = new ResultView(session, client);
    filesView = new FilesView(session, progress, client);
    client->addWidget(filesView);
    client->addWidget(resultView);
    client->setCurrentWidget(filesView);
    setCentralWidget(client);
    filesView->SetContextMenu(menus.at(1));
    resultView->SetListCommands({Action(kCommandMarkCopies), Action(kCommandUnmarkAll), Action(kCommandInvertMarks)});

    // Registered after the files view, which rebuilds itself first.
    session.Doc().RegisterView(this);

    NameBandParts();
    CreateAccelerators();
    idleTimer.setSingleShot(true);
    idleTimer.setInterval(0);
    connect(&idleTimer, &QTimer::timeout, this, &MainWindow::UpdateCommandStates);
    qApp->installEventFilter(this);

    // Without a saved placement the window manager chooses the place, and the
    // window starts at three quarters of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) resize(screen->availableSize() * 3 / 4);
    QSettings settings("Orvane", "Twinseek");
    RestoreBands(*this, settings);
    RestorePlacement(*this, settings);
    RequestIdleUpdate();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    session.Doc().UnregisterView(this);
    // The workers end and the views let go of the lists before the session goes.
    session.Engine().Stop();
    delete client;
    client = nullptr;
    filesView = nullptr;
    resultView = nullptr;
}

void MainWindow::CreateActions() {
    auto* views = new QActionGroup(this);
    views->setExclusive(true);
    const auto toolBar = ToolBarEntries();
    for (const MenuTable& menu : Menus()) {
        for (CommandId id : menu.items) {
            if (id == kNoCommand) continue;
            const CommandText* text = FindCommandText(id);
            auto* action = new QAction(Text(text->menuText), this);
            action->setObjectName("action" + Identifier(text->menuText));
            if (text->toolBarLabel) action->setIconText(Text(text->toolBarLabel));
            if (text->prompt) action->setStatusTip(Text(text->prompt));
            if (text->tip) action->setToolTip(Text(text->tip));
            if (std::ranges::find(toolBar, id) != toolBar.end()) {
                action->setIcon(ToolIcon(id, *style()));
                action->setIconVisibleInMenu(std::ranges::find(kMenuImageCommands, id) != std::end(kMenuImageCommands));
            }
            if (id == kCommandFileView || id == kCommandResultView) {
                action->setCheckable(true);
                views->addAction(action);
            }
            if (id == kCommandToolbar || id == kCommandStatusBar) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
            actions.insert(id, action);
        }
    }
    actions.value(kCommandFileView)->setChecked(true);
}

void MainWindow::CreateMenuBand() {
    menuBand = new QToolBar("Menu Bar", this);
    menuBand->setObjectName("menuBand");
    menuBand->setAccessibleName("Menu band");
    menuBand->setFloatable(false);
    menuBand->setAllowedAreas(Qt::TopToolBarArea);
    menuBar = new QMenuBar(menuBand);
    // Where the desktop offers a global menu, a native menu bar would leave the band empty.
    menuBar->setNativeMenuBar(false);
    menuBar->setObjectName("menuBar");
    menuBar->setAccessibleName("Menu bar");
    for (const MenuTable& table : Menus()) {
        QMenu* menu = menuBar->addMenu(Text(table.title));
        menu->setObjectName(Identifier(table.title).toLower() + "Menu");
        menu->setAccessibleName(Identifier(table.title));
        for (CommandId id : table.items) {
            if (id == kNoCommand)
                menu->addSeparator();
            else
                menu->addAction(actions.value(id));
        }
        // While a menu is open the status bar is one pane with the highlighted item's prompt.
        connect(menu, &QMenu::aboutToShow, this, [this] {
            if (openMenus++ == 0) statusPanes->ShowSinglePane({});
        });
        connect(menu, &QMenu::aboutToHide, this, [this] {
            if (openMenus > 0 && --openMenus == 0) statusPanes->ShowPanes();
        });
        connect(menu, &QMenu::hovered, this, &MainWindow::ShowMenuPrompt);
        menus.append(menu);
    }
    menuBand->addWidget(menuBar);
    addToolBar(Qt::TopToolBarArea, menuBand);
    addToolBarBreak(Qt::TopToolBarArea);
}

void MainWindow::CreateToolBand() {
    toolBand = new QToolBar("Toolbar", this);
    toolBand->setObjectName("toolBand");
    toolBand->setAccessibleName("Tool band");
    toolBand->setFloatable(false);
    toolBand->setAllowedAreas(Qt::TopToolBarArea);
    toolBand->setIconSize(QSize(kToolImageSize, kToolImageSize));
    toolBand->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (CommandId id : ToolBarEntries()) {
        if (id == kNoCommand) {
            toolBand->addSeparator();
            continue;
        }
        QAction* action = actions.value(id);
        toolBand->addAction(action);
        QWidget* button = toolBand->widgetForAction(action);
        button->setObjectName("toolButton" + Identifier(FindCommandText(id)->menuText));
        button->setAccessibleName(action->iconText());
        if (!FindCommandText(id)->tip) buttonsWithoutTip.insert(button);
    }
    addToolBar(Qt::TopToolBarArea, toolBand);
}

void MainWindow::NameBandParts() {
    // The parts Qt adds itself: separators and the buttons that show what a
    // narrow band cannot.
    for (QWidget* band : {static_cast<QWidget*>(menuBand), static_cast<QWidget*>(toolBand),
                          static_cast<QWidget*>(menuBar)}) {
        int separators = 0;
        for (QWidget* part : band->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!part->accessibleName().isEmpty()) continue;
            const bool separator = QString(part->metaObject()->className()) == "QToolBarSeparator";
            if (separator) part->setObjectName(QString("%1Separator%2").arg(band->objectName()).arg(++separators));
            else if (part->objectName().isEmpty()) part->setObjectName(band->objectName() + "Part");
            part->setAccessibleName(separator ? "Separator" : "More");
        }
    }
    for (QMenu* menu : menuBar->findChildren<QMenu*>()) {
        if (menus.contains(menu)) continue;
        menu->setObjectName("menuBarExtension");
        menu->setAccessibleName("More menus");
    }
}

void MainWindow::CreateAccelerators() {
    for (const Accelerator& accelerator : Accelerators()) {
        const QKeySequence keys(Text(accelerator.keys));
        acceleratorKeys.append(keys[0].toCombined());
        // Shortcuts of their own rather than the actions': a greyed action's key
        // does not fire, and the refusal must still be shown.
        if (accelerator.id == kCommandNew || accelerator.id == kCommandOpen || accelerator.id == kCommandSave) {
            auto* shortcut = new QShortcut(keys, this);
            shortcut->setObjectName(QString("shortcut%1").arg(accelerator.keys).remove('+'));
            const CommandId id = accelerator.id;
            connect(shortcut, &QShortcut::activated, this, [this, id] { RunCommand(id); });
        }
    }
}

void MainWindow::ShowMenuPrompt(QAction* action) {
    if (openMenus > 0) statusPanes->ShowSinglePane(action->statusTip());
}

bool MainWindow::IsAcceleratorKey(QObject* receiver, const QKeyEvent& key) const {
    if (!receiver->isWidgetType() || static_cast<QWidget*>(receiver)->window() != this) return false;
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return false;
    const QKeyCombination combination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
    return acceleratorKeys.contains(combination.toCombined());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (event->spontaneous() && !MovesOrPaints(type)) RequestIdleUpdate();
    switch (type) {
    case QEvent::ShortcutOverride:
        // No focused widget may claim a key of the table; New, Open and Save
        // then reach their shortcuts.
        if (IsAcceleratorKey(watched, *static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
        break;
    case QEvent::KeyPress:
        // The other keys of the table have no command and are swallowed.
        if (IsAcceleratorKey(watched, *static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::ToolTip:
        if (buttonsWithoutTip.contains(watched)) return true;
        break;
    case QEvent::MouseMove:
        // A menu signals only the items it can highlight; a greyed item or a
        // separator under the mouse shows its own (or an empty) prompt too.
        if (auto* menu = qobject_cast<QMenu*>(watched); menu && openMenus > 0 && menus.contains(menu)) {
            QAction* item = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            statusPanes->ShowSinglePane(item ? item->statusTip() : QString());
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event) {
    // Menu prompts are shown by the menus' own signals, and nothing else puts
    // a status tip in the bar.
    if (event->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    NameBandParts();  // the menu bar makes its overflow menu when first laid out
    if (splittersPlaced) return;
    splittersPlaced = true;
    // Placed once, from the first client rectangle the window is shown with.
    const int width = this->width();
    const int height = this->height();
    resultView->SetSplitterPosition(width / 5);
    filesView->SetSplitterPositions(height / 2, width / 5);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closed && session.IsComparing()) {
        QMessageBox question(QMessageBox::Question, kNotifyTitle, kCloseWhileComparingText,
                             QMessageBox::Yes | QMessageBox::No, this);
        question.setObjectName("closeQuestion");
        question.setAccessibleName(kNotifyTitle);
        if (question.exec() != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        // Stopping opens the pause gate first, so a paused worker does not hold
        // the close; what is digested is kept, so that it can be saved.
        session.StopComparison();
    }
    // Unsaved work is asked about as New asks; Cancel keeps the window open.
    if (!closed && !session.Doc().QuerySave()) {
        event->ignore();
        return;
    }
    event->accept();
    if (closed) return;
    closed = true;
    QSettings settings("Orvane", "Twinseek");
    SavePlacement(*this, settings);
    SaveBands(*this, settings);
    emit closedForGood();
}

bool MainWindow::RefuseWhileComparing() {
    if (!session.IsComparing()) return false;
    // Owned by no window, as the document's own questions are.
    QMessageBox refusal(QMessageBox::Information, kNotifyTitle, kRefusedWhileComparingText, QMessageBox::Ok);
    refusal.setObjectName("refusalMessage");
    refusal.setAccessibleName(kNotifyTitle);
    refusal.exec();
    return true;
}

void MainWindow::RunCommand(CommandId id) {
    if (RefusedWhileComparing(id) && RefuseWhileComparing()) return;
    switch (id) {
    case kCommandNew:
        session.Doc().New();
        break;
    case kCommandOpen:
        session.Doc().Open();
        break;
    case kCommandSave:
        session.Doc().Save();
        break;
    case kCommandSaveAs:
        session.Doc().SaveAs();
        break;
    case kCommandExit:
        // As a posted close request, so the menu has closed before any question.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        break;
    case kCommandScanDisk: {
        static const FileSystemListing listing;
        static const MountedDrives mounted;
        RunScanDisk(session, *filesView, listing, scanDrives ? *scanDrives : mounted);
        break;
    }
    case kCommandCompareFiles: {
        WaitCursor wait;
        const std::vector<FileItem*> files = filesView->FileListFiles();
        session.CompareFiles(files);
        break;
    }
    case kCommandPause:
        session.TogglePause();
        break;
    case kCommandStopCompare: {
        WaitCursor wait;
        session.StopComparison();
        break;
    }
    case kCommandFileView:
        ShowView(filesView);
        break;
    case kCommandResultView:
        ShowView(resultView);
        break;
    case kCommandToolbar:
        ToggleToolBar();
        break;
    case kCommandStatusBar:
        statusPanes->setVisible(statusPanes->isHidden());
        break;
    case kCommandAbout:
        AboutDialog(this).exec();
        break;
    case kCommandDelete:
        // The worker may be reading a file whose record a deletion frees.
        if (!RefuseWhileComparing()) RunCleanupCommand(id, session, *resultView, this);
        break;
    default:
        // The mark and cleanup commands; the other keys have no command.
        if (!RunMarkCommand(id, *resultView, this)) RunCleanupCommand(id, session, *resultView, this);
        break;
    }
    RequestIdleUpdate();
}

void MainWindow::ShowView(QWidget* view) { client->setCurrentWidget(view); }

void MainWindow::ToggleToolBar() {
    // Only the tool band hides; the menu band always stays. Not kept between runs.
    toolBarVisible = !toolBarVisible;
    toolBand->setVisible(toolBarVisible);
    actions.value(kCommandToolbar)->setChecked(toolBarVisible);
}

void MainWindow::UpdateCommandStates() {
    if (!filesView) return;
    CommandFacts facts;
    facts.filesViewShown = client->currentWidget() == filesView;
    facts.fileListRows = size_t(std::max(0, filesView->FileListRowCount()));
    facts.resultViewShown = client->currentWidget() == resultView;
    facts.tickedCount = size_t(std::max(0, resultView->TickedCount()));
    facts.resultRows = resultView->Model().RowCount();
    facts.comparing = session.IsComparing();
    facts.paused = session.IsPaused();
    facts.statusBarVisible = !statusPanes->isHidden();
    facts.toolbarVisible = toolBarVisible;
    for (CommandId id : kTrackedCommands) {
        const CommandState state = ComputeCommandState(id, facts);
        QAction* action = actions.value(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
        if (!state.text.empty()) action->setText(QString::fromUtf8(state.text.data(), qsizetype(state.text.size())));
    }
    comparisonPanes->Update(session, GetTickCount());
}

// The views go before the session; whatever the engine marks after that is never shown.
ListId MainWindow::FileListId() const { return filesView ? filesView->FileListId() : this; }

void MainWindow::Repaint(uint32_t lists) {
    if (!filesView) return;
    filesView->Repaint(lists);
    // The Comparing list's timers end here: their ticks refresh the states too.
    RequestIdleUpdate();
}

void MainWindow::ShowInGroup(FileItem* item, size_t) {
    if (resultView) resultView->AddCollectedFile(item);
}

void MainWindow::UpdateFromDocument() { RequestIdleUpdate(); }

}  // namespace twinseek
