// The Delete command and its dialog: refused while comparing, captions, Select
// all and Clear all, Delete keeping the dialog open and the focus on its list,
// the question before every copy of a group goes, failures in one warning; and
// the program's remover sending a file to a Trash in temporary folders.
#include "app/DeleteDialog.h"
#include "platform/EntryRemoval.h"
#include "platform/TrashInfo.h"
#include "session/DiskFileRemover.h"
#include "platform/PathProbe.h"
#include "session/CommandStates.h"
#include "tests/gui/ResultTestSupport.h"
#include "views/CategoryTreeModel.h"
#include "views/FilesView.h"

#include <QCheckBox>
#include <QPushButton>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace twinseek::testing {
namespace {

// HOME, XDG_DATA_HOME and the working folder in folders of the test's own
// for as long as it lives.
struct TrashHome {
    explicit TrashHome(const TemporaryTree& files) : home(files.Path("home")), data(home + "/data") {
        files.Folder("home");
        files.Folder("work");
        qputenv("HOME", home.c_str());
        qputenv("XDG_DATA_HOME", data.c_str());
        std::filesystem::current_path(files.Path("work"));
    }
    ~TrashHome() {
        std::filesystem::current_path(work);
        qputenv("HOME", oldHome);
        oldData.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", oldData);
    }
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const std::filesystem::path work = std::filesystem::current_path();
    const std::string home;
    const std::string data;
};

class DeleteDialogTest : public ResultViewFixture {
protected:
    void Tick(std::initializer_list<const char*> names) {
        for (const char* name : names) Results().Model().SetTicked(size_t(RowOf(name)), true);
    }
    static void Click(QDialog& dialog, const char* button) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    bool Exists(const std::string& name) const { return PathExists(files.Path(name)); }
};

TEST_F(DeleteDialogTest, RefusedWhileComparingElseTheDialogListsTheTickedFilesAndStaysOpen) {
    for (const char* name : {"a1", "a2"}) AddCompared(name, "same");
    for (const char* name : {"b1", "b2"}) AddCompared(name, "longer");
    ShowGroups();
    Tick({"a2", "b2"});
    StartPausedComparison(1);
    {
        ModalAnswerer refusal;
        window.RunCommand(kCommandDelete);
        ASSERT_EQ(refusal.seen.size(), 1);
        EXPECT_EQ(refusal.seen[0].title, "Notify");
        EXPECT_EQ(refusal.seen[0].text, "Can't to process when comparing files!");
        window.Session().StopComparison();
    }
    bool shown = false;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QDialog& opened) {
        auto* dialog = qobject_cast<DeleteDialog*>(&opened);
        ASSERT_TRUE(dialog);
        shown = true;
        QAbstractItemModel& rows = *dialog->FileListView()->model();
        EXPECT_FALSE(dialog->TrashChoice()->isChecked());
        EXPECT_EQ(Column(rows, kNameColumn), (QStringList{"b2", "a2"})) << "in the result view's order";

        Click(*dialog, "clearAllButton");
        Click(*dialog, "deleteButton");
        EXPECT_TRUE(Exists("a2") && Exists("b2")) << "nothing ticked, nothing deleted";
        Click(*dialog, "selectAllButton");
        dialog->FileListView()->setCurrentIndex(rows.index(1, kSizeColumn));
        QTest::keyClick(dialog->FileListView(), Qt::Key_Space);
        Click(*dialog, "deleteButton");
        EXPECT_TRUE(dialog->isVisible()) << "Delete keeps the dialog open";
        EXPECT_TRUE(dialog->DeletedAny());
        EXPECT_EQ(Column(rows, kNameColumn), QStringList{"a2"}) << "the unticked row stays";
        Click(*dialog, "closeButton");
    });
    window.RunCommand(kCommandDelete);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(Exists("b2"));
    EXPECT_TRUE(Exists("a2"));
    EXPECT_EQ(Column(List(), kNameColumn), (QStringList{"a1", "a2"})) << "the group left with one file is gone";
    EXPECT_EQ(window.Files().CategoryTree().data(window.Files().CategoryTree().RootIndex()).toString(),
              "All Files [1 Group(s)]")
        << "the files view counts again";
}

TEST_F(DeleteDialogTest, OneFileHasItsOwnCaptionAndFailuresShowInOneWarning) {
    FileItem* copy = AddCompared("copy", "same");
    AddCompared("kept", "same");
    struct Refusing final : FileRemover {
        RemoverOutcome Remove(const CheckedEntry&, CleanupAction) override { return {EROFS, {}, {}, {}}; }
        RemoverOutcome Replace(const CheckedEntry&, const CheckedEntry&, CleanupAction) override { return {}; }
    } refusing;
    DeleteDialog dialog(window.Session(), {copy}, refusing);
    EXPECT_EQ(dialog.windowTitle(), "Confirm File Delete");
    EXPECT_EQ(dialog.TrashChoice()->text(), "Send the item to the Recycle Bin.");
    dialog.show();
    dialog.TrashChoice()->setChecked(true);
    ModalAnswerer answerer;
    Click(dialog, "deleteButton");
    ASSERT_EQ(answerer.seen.size(), 1);
    EXPECT_EQ(answerer.seen[0].title, "Warning");
    EXPECT_EQ(answerer.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(answerer.seen[0].text.toStdString(),
              "1 file could not be removed:\n\n" + files.Path("copy") + ": Read-only file system");
    EXPECT_EQ(dialog.Files().RowCount(), 1u);
    EXPECT_FALSE(dialog.DeletedAny());
}

TEST_F(DeleteDialogTest, EveryCopyTickedIsAskedAboutWithNoAsDefaultAndTheListKeepsTheFocus) {
    FileItem* a1 = AddCompared("a1", "same");
    FileItem* a2 = AddCompared("a2", "same");
    DiskFileRemover remover;
    DeleteDialog dialog(window.Session(), {a1, a2}, remover);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    bool defaultIsNo = false;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            defaultIsNo = box->defaultButton() == box->button(QMessageBox::No);
    });
    ModalAnswerer answerer(QMessageBox::No);
    Click(dialog, "deleteButton");
    ASSERT_EQ(answerer.seen.size(), 1);
    EXPECT_EQ(answerer.seen[0].title, "Notify");
    EXPECT_TRUE(answerer.seen[0].text.startsWith("1 group would keep no copy on disk"));
    EXPECT_TRUE(defaultIsNo);
    EXPECT_TRUE(Exists("a1") && Exists("a2"));
    EXPECT_EQ(dialog.Files().RowCount(), 2u);
    EXPECT_EQ(dialog.focusWidget(), dialog.FileListView()) << "Space and Enter reach the list again";
}

TEST_F(DeleteDialogTest, DeletePressedWhileFilesGoStartsNoSecondDeletion) {
    FileItem* a1 = AddCompared("a1", "same");
    FileItem* a2 = AddCompared("a2", "same");
    AddCompared("a3", "same");
    // The first removal waits until the dialog has been asked to delete again,
    // as a user could while events run.
    struct Waiting final : FileRemover {
        RemoverOutcome Remove(const CheckedEntry& file, CleanupAction) override {
            if (calls++ == 0) {
                started = true;
                for (int wait = 0; wait < 500 && !pressed; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            return {UnlinkEntry(file.folder, file.name, file.identity), {}, {}, {}};
        }
        RemoverOutcome Replace(const CheckedEntry&, const CheckedEntry&, CleanupAction) override { return {}; }
        std::atomic<int> calls{0};
        std::atomic<bool> started{false}, pressed{false};
    } remover;
    DeleteDialog dialog(window.Session(), {a1, a2}, remover);
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (!remover.started || remover.pressed) return;
        dialog.DeleteTicked();
        remover.pressed = true;
    });
    presser.start(1);
    ModalAnswerer answerer;
    Click(dialog, "deleteButton");
    EXPECT_TRUE(remover.pressed);
    EXPECT_EQ(remover.calls, 2) << "each file removed once";
    EXPECT_TRUE(answerer.seen.isEmpty()) << "no failure to tell";
    EXPECT_EQ(dialog.Files().RowCount(), 0u);
}

TEST_F(DeleteDialogTest, TrashTakesTheFileWithInfoThatNamesWhereItWas) {
    TrashHome trash(files);
    FileItem* copy = AddCompared("copy 100%.txt", "x");
    AddCompared("kept.txt", "x");
    DiskFileRemover remover;
    DeleteDialog dialog(window.Session(), {copy}, remover);
    dialog.TrashChoice()->setChecked(true);
    ModalAnswerer answerer;
    Click(dialog, "deleteButton");
    EXPECT_TRUE(answerer.seen.isEmpty());
    EXPECT_FALSE(Exists("copy 100%.txt"));
    EXPECT_EQ(ReadBytes(trash.data + "/Trash/files/copy 100%.txt"), "x");
    const auto info = ParseTrashInfo(ReadBytes(trash.data + "/Trash/info/copy 100%.txt.trashinfo"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, files.Path("copy 100%.txt"));
    EXPECT_TRUE(std::filesystem::is_empty(files.Path("work"))) << "nothing lands in the working folder";
}

}  // namespace
}  // namespace twinseek::testing
