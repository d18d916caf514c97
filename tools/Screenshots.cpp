// Renders the main window offscreen to PNG files, so that a reviewer sees what
// a user sees: the files view with a category chosen, a comparison under way
// (held paused so its rows stay), the result view with a group chosen and the
// copies ticked, the delete dialog over it, the Mark Copies dialog, the file
// list's context menu, the About box, and with a TREE each page of the Disk
// Scan Wizard over that folder.
//   twinseek-screenshots DOCUMENT.tws OUTPUT-FOLDER [TREE]
#include "app/MainWindow.h"
#include "app/MarkRulesSettings.h"
#include "app/ScanWizard.h"
#include "views/CheckFolderTree.h"
#include "controls/FileActions.h"
#include "controls/TickList.h"
#include "document/HeadlessPrompts.h"
#include "views/FolderTreeItemModel.h"
#include "session/AppSession.h"
#include "session/CommandStates.h"
#include "views/FilesView.h"
#include "views/ResultView.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

namespace {

// Lets the window catch up as it would with a user at it: a pointer move
// through the window system (the window's idle update follows user input),
// then the events and timers of the given time.
void Settle(QWidget& window, int milliseconds) {
    static int nudge = 0;
    QTest::mouseMove(window.windowHandle(), QPoint(200 + (++nudge % 2), 300));
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Save(QWidget& widget, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "twinseek-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Chooses the first size category whose files fill the file list.
bool ChooseCategory(twinseek::FilesView& files) {
    auto* tree = files.findChild<QTreeView*>();
    if (!tree || !tree->model()) return false;
    const QModelIndex root = tree->model()->index(0, 0);
    tree->expand(root);
    for (int row = 0; row < tree->model()->rowCount(root); ++row) {
        tree->setCurrentIndex(tree->model()->index(row, 0, root));
        QApplication::processEvents();
        if (files.FileListRowCount() > 0) return true;
    }
    return false;
}

// Ticks every copy but the first of each group and chooses the group of the
// largest files; false when the view shows no group.
bool TickCopiesAndChooseGroup(twinseek::ResultView& results) {
    twinseek::ResultModel& model = results.Model();
    if (model.RowCount() == 0) return false;
    for (size_t row = 1; row < model.RowCount(); ++row)
        if (model.GroupNodeOfRow(row) == model.GroupNodeOfRow(row - 1)) model.SetTicked(row, true);
    QTreeView* tree = results.findChild<QTreeView*>("groupTree");
    const twinseek::ResultNode node = model.GroupNodeOfRow(0);
    const QModelIndex category = tree->model()->index(int(model.Parent(node)) - 1, 0, tree->model()->index(0, 0));
    tree->expand(category);
    tree->setCurrentIndex(tree->model()->index(int(model.PositionInParent(node)), 0, category));
    return true;
}

// Runs a command that opens a modal dialog and saves the dialog as it shows.
bool SaveDialogOf(QAction* command, const QDir& folder, const char* name) {
    if (!command) return false;
    bool shown = false;
    QTimer::singleShot(300, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shown = Save(*box, folder, name);
            box->close();
        }
    });
    command->trigger();
    if (!shown) std::fprintf(stderr, "twinseek-screenshots: no dialog to save as %s\n", name);
    return shown;
}

// The result view with the file list's context menu open over its second row,
// the menu drawn where it stands on the window.
bool SaveContextMenu(twinseek::MainWindow& window, const QDir& folder, const char* name) {
    twinseek::TickList* list = window.Results().FileListView();
    twinseek::FileActions& actions = window.Results().FileListActions();
    const QModelIndex row = list->model()->index(1, twinseek::kNameColumn);
    list->setCurrentIndex(row);
    actions.ShowMenu(list->visualRect(row).center());
    Settle(window, 100);
    QPixmap shot = window.grab();
    QPainter painter(&shot);
    painter.drawPixmap(window.mapFromGlobal(actions.Menu()->pos()), actions.Menu()->grab());
    painter.end();
    actions.Menu()->hide();
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!shot.save(path)) return false;
    std::printf("%s\n", qPrintable(path));
    return true;
}

QAction* FindAboutCommand(QWidget& window) {
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->text().remove('&').startsWith("About Twinseek")) return action;
    }
    return nullptr;
}

struct ListedDrives : twinseek::DriveSource {
    std::vector<std::string> drives;
    std::vector<std::string> Drives() const override { return drives; }
};

// The wizard's pages over tree, with /usr beside it as a second drive whose
// scan lasts long enough to be caught running.
bool SaveWizardPages(const QDir& folder, const std::string& tree) {
    using namespace twinseek;
    FileSystemListing listing;
    ListedDrives drives;
    drives.drives = {tree, "/usr"};
    HeadlessPrompts prompts;
    Document document(prompts);
    bool complete = true;
    {
        ScanWizardData data;
        ScanWizard wizard(data, document, listing, drives, {});
        wizard.show();
        wizard.back();
        Settle(wizard, 100);
        complete &= Save(wizard, folder, "wizard-welcome.png");
        wizard.next();
        CheckFolderTree& view = wizard.FolderTree();
        FolderTreeItemModel& items = view.Items();
        const QModelIndex top = items.index(0, 0);
        view.expand(top);
        for (int row = 0; row < items.rowCount(top); ++row) {
            const QModelIndex child = items.index(row, 0, top);
            if (items.hasChildren(child)) {
                view.expand(child);
                items.setData(items.index(0, 0, child), Qt::Checked, Qt::CheckStateRole);
                view.setCurrentIndex(items.index(0, 0, child));
                break;
            }
        }
        Settle(wizard, 100);
        complete &= Save(wizard, folder, "wizard-folders.png");
        wizard.next();
        for (const char* box : {"sizeBox1", "sizeBox7"}) wizard.findChild<QCheckBox*>(box)->setChecked(true);
        Settle(wizard, 100);
        complete &= Save(wizard, folder, "wizard-sizes.png");
        wizard.back();
        view.Tree().ClearAll();
        view.Tree().ToggleCheck(view.Tree().Root().Child(1));
        wizard.next();
        bool caught = false;
        QObject::connect(&wizard, &ScanWizard::scanProgressShown, [&](bool done) {
            if (caught || done) return;
            caught = true;
            Settle(wizard, 250);
            complete &= Save(wizard, folder, "wizard-scanning.png");
            wizard.reject();
        });
        wizard.next();
        if (!QTest::qWaitFor([&] { return !wizard.isVisible(); }, 60000) || !caught) {
            std::fprintf(stderr, "twinseek-screenshots: the scan of /usr was not caught running\n");
            complete = false;
        }
        document.CommitScan(false);
    }
    ScanWizardData data;
    ScanWizard wizard(data, document, listing, drives, {});
    wizard.show();
    wizard.FolderTree().Tree().ToggleCheck(wizard.FolderTree().Tree().Root().Child(0));
    wizard.next();
    wizard.next();
    if (!QTest::qWaitFor([&] { return wizard.currentId() == kCompletingPageId; }, 60000)) {
        std::fprintf(stderr, "twinseek-screenshots: the scan never ended\n");
        return false;
    }
    Settle(wizard, 100);
    complete &= Save(wizard, folder, "wizard-completing.png");
    wizard.reject();
    return complete;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Never read or write the user's own window settings.
    QStandardPaths::setTestModeEnabled(true);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: twinseek-screenshots DOCUMENT.tws OUTPUT-FOLDER [TREE]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "twinseek-screenshots: cannot make %s\n", argv[2]);
        return 1;
    }

    // At the size it opens with on the screen it is given.
    twinseek::MainWindow window;
    window.show();
    Settle(window, 100);
    if (!window.Session().OpenFile(argv[1])) {
        std::fprintf(stderr, "twinseek-screenshots: cannot open %s\n", argv[1]);
        return 1;
    }
    window.Files().Rebuild();
    bool complete = true;
    if (!ChooseCategory(window.Files())) {
        std::fprintf(stderr, "twinseek-screenshots: no category with files to show\n");
        complete = false;
    }
    Settle(window, 200);
    complete &= Save(window, folder, "files-view.png");

    // Workers started while paused wait before their first read.
    window.Session().Engine().Pause();
    window.Session().CompareAllSharedSizes();
    Settle(window, 1300);  // past one repaint of the lists and the status bar
    complete &= Save(window, folder, "comparing.png");
    // Resumed, the comparison fills the result view with its groups.
    window.Session().TogglePause();
    for (int waited = 0; window.Session().IsComparing() && waited < 300; ++waited) Settle(window, 100);
    window.RunCommand(twinseek::kCommandResultView);
    Settle(window, 100);
    if (!TickCopiesAndChooseGroup(window.Results())) {
        std::fprintf(stderr, "twinseek-screenshots: the comparison made no group to show\n");
        complete = false;
    }
    Settle(window, 200);
    window.UpdateCommandStates();  // Delete is enabled by the ticks
    complete &= Save(window, folder, "result-view.png");
    complete &= SaveDialogOf(window.Action(twinseek::kCommandDelete), folder, "delete-dialog.png");
    {
        // Rules as a user would have left them: the newest kept, the folder of
        // the second file a reference (in the settings of this test run only).
        QSettings settings("Orvane", "Twinseek");
        twinseek::MarkRules rules{twinseek::KeepRule::Newest, {}, {}};
        if (twinseek::FileItem* file = window.Results().Model().File(1))
            rules.referenceFolders.emplace_back(file->parent->GetFullPath());
        twinseek::SaveMarkRules(settings, rules);
    }
    window.UpdateCommandStates();
    complete &= SaveDialogOf(window.Action(twinseek::kCommandMarkCopies), folder, "mark-copies.png");
    complete &= SaveContextMenu(window, folder, "context-menu.png");

    if (QAction* about = FindAboutCommand(window)) {
        complete &= SaveDialogOf(about, folder, "about.png");
    } else {
        std::fprintf(stderr, "twinseek-screenshots: this main window has no About command\n");
        complete = false;
    }
    if (argc == 4) complete &= SaveWizardPages(folder, argv[3]);
    return complete ? 0 : 1;
}
