// A main window over a catalogue of real files in a temporary folder, and an
// answerer for the modal dialogs its commands open.
#pragma once

#include "app/MainWindow.h"
#include "tests/catalog/CatalogTestSupport.h"
#include "tests/platform/TemporaryTree.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string_view>

#include <ostream>

// Failures print texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace twinseek::testing {

// Answers every modal dialog opened while it lives: a message box with the
// given button, any other dialog through handle (or rejects it). Keeps what
// each one showed.
class ModalAnswerer {
public:
    struct Seen {
        QString kind;  // the dialog's object name
        QString title;
        QString text;  // a message box's text, or every label of another dialog
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok,
                           std::function<void(QDialog&)> handle = {})
        : answer(answer), handle(std::move(handle)) {
        QObject::connect(&timer, &QTimer::timeout, [this] { AnswerOpenDialog(); });
        timer.start(5);
    }

    QList<Seen> seen;

private:
    void AnswerOpenDialog() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == answered) return;
        answered = dialog;
        Seen shown{dialog->objectName(), dialog->windowTitle(), {}, QMessageBox::NoIcon};
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            shown.text = box->text();
            shown.icon = box->icon();
            seen.append(shown);
            box->done(answer);
            return;
        }
        for (QLabel* label : dialog->findChildren<QLabel*>()) shown.text += label->text() + "\n";
        seen.append(shown);
        if (handle)
            handle(*dialog);
        else
            dialog->reject();
    }

    QMessageBox::StandardButton answer;
    std::function<void(QDialog&)> handle;
    QTimer timer;
    QPointer<QDialog> answered;
};

class MainWindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Whatever the window saves goes to a folder of the test's own, the
        // cleanup journal and the Trash included.
        static QTemporaryDir settingsFolder;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        qputenv("XDG_DATA_HOME", (settingsFolder.path() + "/data").toUtf8());
    }

    // A file with content in the folder and its record in the window's catalogue.
    FileItem* AddFile(const std::string& name, std::string_view content) {
        WriteBytes(files.Path(name), content);
        const std::filesystem::path full(files.Path(name));
        Document& document = window.Session().Doc();
        FolderItem* folder = document.root->FindOrCreateFolder(EntryNamed("/"));
        for (const auto& piece : full.parent_path().relative_path()) {
            folder = folder->FindOrCreateFolder(EntryNamed(piece.string()));
            folder->compareState = NotCompared;
        }
        FileItem* item = testing::AddFile(folder, full.filename().string(), content.size());
        document.catalog.Insert(content.size(), item);
        return item;
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

}  // namespace twinseek::testing
