// A main window over a catalogue of real files in a temporary folder, with the
// views and dialogs the tests reach through it, and an answerer for the modal
// dialogs its commands open.
#pragma once

#include "app/DeleteDialog.h"
#include "app/MainStatusBar.h"
#include "app/MainWindow.h"
#include "controls/ReportList.h"
#include "controls/TickList.h"
#include "document/HeadlessPrompts.h"
#include "session/DiskFileRemover.h"
#include "tests/catalog/CatalogTestSupport.h"
#include "tests/compare/CompareTestSupport.h"
#include "tests/platform/TemporaryTree.h"
#include "views/CategoryTreeModel.h"
#include "views/FileListModel.h"
#include "views/FilesView.h"
#include "views/GroupTreeModel.h"
#include "views/ResultView.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <functional>
#include <ostream>
#include <string_view>

// Failures print texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace twinseek::testing {

// Answers every modal dialog opened while it lives: a message box with the
// given button, any other dialog through handle (or rejects it). Keeps what
// each one showed. Dialogs already open when it starts, such as a Delete
// dialog that turns modal while it works, and progress dialogs are not its own.
class ModalAnswerer {
public:
    struct Seen {
        QString title;
        QString text;  // a message box's text, or every label of another dialog
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString kind = {};  // another dialog's object name
        bool operator==(const Seen&) const = default;
        friend void PrintTo(const Seen& seen, std::ostream* out) {
            *out << seen.title.toStdString() << " (icon " << seen.icon << ", " << seen.kind.toStdString() << "): "
                 << seen.text.toStdString();
        }
    };

    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok,
                           std::function<void(QDialog&)> handle = {})
        : answer(answer), handle(std::move(handle)) {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible()) alreadyOpen.append(window);
        QObject::connect(&timer, &QTimer::timeout, [this] { AnswerOpenDialog(); });
        timer.start(5);
    }

    QList<Seen> seen;

private:
    void AnswerOpenDialog() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == answered || alreadyOpen.contains(dialog) || qobject_cast<QProgressDialog*>(dialog)) return;
        answered = dialog;
        Seen shown{dialog->windowTitle(), {}};
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            shown.text = box->text();
            shown.icon = box->icon();
            seen.append(shown);
            box->done(answer);
            return;
        }
        for (QLabel* label : dialog->findChildren<QLabel*>()) shown.text += label->text() + "\n";
        shown.kind = dialog->objectName();
        seen.append(shown);
        handle ? handle(*dialog) : dialog->reject();
    }

    QMessageBox::StandardButton answer;
    std::function<void(QDialog&)> handle;
    QTimer timer;
    QPointer<QDialog> answered;
    QList<QPointer<QWidget>> alreadyOpen;
};

// What assistive tools are told of top and the widgets shown in it, one fault
// a line: a widget that shows text reads by that text, a control without text
// has a name, and no name is one made for tests ("statusPane0", "scan_counts").
inline QStringList AccessibilityFaults(QWidget& top) {
    static const QRegularExpression identifier("^[^\\s/]*([a-z][A-Z]|[A-Za-z][0-9]|_)[^\\s/]*$");
    QStringList faults;
    QList<QWidget*> widgets = top.findChildren<QWidget*>();
    widgets.prepend(&top);
    for (QWidget* widget : widgets) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if ((!widget->isVisibleTo(&top) && widget != &top) || !accessible) continue;
        const QString name = accessible->text(QAccessible::Name);
        const QString where = widget->objectName().isEmpty() ? widget->metaObject()->className() : widget->objectName();
        QString shown = widget->isWindow() ? widget->windowTitle() : QString();
        if (auto* label = qobject_cast<QLabel*>(widget)) shown = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) shown = button->text().remove('&');
        if (!shown.isEmpty() && name != shown) faults << where + " shows \"" + shown + "\" but reads \"" + name + "\"";
        if (identifier.match(name).hasMatch() || (!name.isEmpty() && name == widget->objectName()))
            faults << where + " reads like an identifier: \"" + name + "\"";
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QTabBar*>(widget) ||
                             (qobject_cast<QAbstractItemView*>(widget) && !qobject_cast<QHeaderView*>(widget));
        if (control && name.isEmpty()) faults << where + " has no name";
    }
    return faults;
}

using Boxes = QList<ModalAnswerer::Seen>;

// Runs window's command and hands the dialog of type D it opens to fill once
// the dialog runs, so that a file chooser fill opens is answered too, with
// chosen. Returns what each dialog and box showed.
template <typename D>
Boxes RunWithDialog(MainWindow& window, CommandId command, const std::function<void(D&)>& fill, const QString& chosen = {}) {
    bool filled = false;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QDialog& opened) {
        if (auto* chooser = qobject_cast<QFileDialog*>(&opened)) {
            chooser->selectFile(chosen);
            opened.accept();  // the file dialog's own accept, which takes the selection
            return;
        }
        auto* dialog = qobject_cast<D*>(&opened);
        ASSERT_TRUE(dialog) << opened.objectName().toStdString();
        if (std::exchange(filled, true)) return;  // back from a file chooser
        QTimer::singleShot(0, dialog, [dialog, &fill] { fill(*dialog); });
    });
    window.RunCommand(command);
    EXPECT_TRUE(filled);
    return answerer.seen;
}

// A file written in dir with content and its record, under the folder chain of
// its path, in document's catalogue; a Finished one carries its digest and the
// file's time, as a finished comparison leaves it.
inline FileItem* CatalogueFile(Document& document, const TemporaryTree& dir, const std::string& name,
                               std::string_view content, int32_t state = NotCompared) {
    WriteBytes(dir.Path(name), content);
    FileItem* item = AddRecordAt(document.root, document.catalog, dir.Path(name), content.size());
    if (state != Finished) return item;
    const struct stat status = StatusOf(dir.Path(name));
    item->findData.ftLastWriteTime = FileTime::FromUnix(status.st_mtim.tv_sec, uint32_t(status.st_mtim.tv_nsec));
    item->SetDigestText(DigestTextOf(content));
    item->compareState = Finished;
    return item;
}

class MainWindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Whatever the window saves goes to a folder of the test's own, the
        // cleanup journal and the Trash included.
        static QTemporaryDir settingsFolder;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        qputenv("XDG_DATA_HOME", (settingsFolder.path() + "/data").toUtf8());
    }

    FileItem* AddFile(const std::string& name, std::string_view content) {
        return CatalogueFile(window.Session().Doc(), files, name, content);
    }

    // Queues n files of equal size with the engine paused, so that the rows stay.
    void StartPausedComparison(int n) {
        std::vector<FileItem*> queued;
        for (int i = 0; i < n; ++i) queued.push_back(AddFile(Numbered("f", i), std::string(4096, char('a' + i))));
        window.Session().Engine().Pause();
        ASSERT_TRUE(window.Session().CompareFiles(queued));
        window.UpdateCommandStates();
    }

    void ShowActive() {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    TemporaryTree files;
    MainWindow window;
};

// The texts of the status panes shown, left to right.
inline QStringList VisiblePaneTexts(MainStatusBar& bar) {
    QStringList texts;
    for (int pane = 0; pane < MainStatusBar::kPaneCount; ++pane)
        if (bar.Pane(pane)->isVisible()) texts << bar.Pane(pane)->text();
    return texts;
}

// The texts of a column, under parent, top to bottom.
inline QStringList Column(const QAbstractItemModel& model, int column, const QModelIndex& parent = {}) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row) texts << model.index(row, column, parent).data().toString();
    return texts;
}

}  // namespace twinseek::testing
