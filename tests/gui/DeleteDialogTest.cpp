// The Delete command and its dialog: refused while comparing, captions, Select
// all and Clear all, Delete keeping the dialog open, failures in one warning;
// and the desktop's remover against a real Trash in temporary folders on the
// test files' volume.
#include "app/DeleteDialog.h"
#include "app/DesktopFileRemover.h"
#include "platform/FileOperations.h"
#include "platform/PathProbe.h"
#include "session/CommandStates.h"
#include "tests/gui/ResultTestSupport.h"
#include "views/CategoryTreeModel.h"
#include "views/FilesView.h"

#include <QCheckBox>
#include <QPushButton>

#include <cerrno>
#include <cstdio>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

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
        int RemovePermanently(const std::string&) override { return EACCES; }
        int MoveToTrash(const std::string&) override { return EROFS; }
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

TEST_F(DeleteDialogTest, DeletePressedWhileFilesGoStartsNoSecondDeletion) {
    FileItem* a1 = AddCompared("a1", "same");
    FileItem* a2 = AddCompared("a2", "same");
    AddCompared("a3", "same");
    // Presses Delete again as the first file goes, as a user could while events run.
    struct PressingAgain final : FileRemover {
        int RemovePermanently(const std::string& path) override {
            if (calls++ == 0) dialog->findChild<QPushButton*>("deleteButton")->click();
            return UnlinkFile(path);
        }
        int MoveToTrash(const std::string&) override { return ENOTSUP; }
        QDialog* dialog = nullptr;
        int calls = 0;
    } remover;
    DeleteDialog dialog(window.Session(), {a1, a2}, remover);
    remover.dialog = &dialog;
    ModalAnswerer answerer;
    Click(dialog, "deleteButton");
    EXPECT_EQ(remover.calls, 2) << "each file removed once";
    EXPECT_TRUE(answerer.seen.isEmpty()) << "no failure to tell";
    EXPECT_EQ(dialog.Files().RowCount(), 0u);
}

TEST_F(DeleteDialogTest, TrashTakesTheFileWithItsInfoAfterMakingAMissingDataFolder) {
    TrashHome trash(files);
    WriteBytes(files.Path("copy.txt"), "x");
    DesktopFileRemover remover;
    EXPECT_EQ(remover.MoveToTrash(files.Path("copy.txt")), 0);
    EXPECT_FALSE(Exists("copy.txt"));
    EXPECT_EQ(ReadBytes(trash.data + "/Trash/files/copy.txt"), "x");
    EXPECT_NE(ReadBytes(trash.data + "/Trash/info/copy.txt.trashinfo").find("Path=" + files.Path("copy.txt")),
              std::string::npos);
    EXPECT_FALSE(Exists("work/files")) << "nothing lands in the working folder";

    // Qt would read this name as "copy\uFFFD", another file's name.
    WriteBytes(files.Path("copy\xff"), "x");
    WriteBytes(files.Path("copy\uFFFD"), "y");
    EXPECT_EQ(remover.MoveToTrash(files.Path("copy\xff")), EILSEQ);
    EXPECT_TRUE(Exists("copy\xff") && Exists("copy\uFFFD"));
}

TEST_F(DeleteDialogTest, FileTheTrashDidNotTakeIsPutBack) {
    TrashHome trash(files);
    files.Folder("home/data");
    WriteBytes(trash.data + "/Trash", "a file where the Trash would be");
    WriteBytes(files.Path("copy.txt"), "x");
    DesktopFileRemover remover;
    EXPECT_NE(remover.MoveToTrash(files.Path("copy.txt")), 0);
    EXPECT_EQ(ReadBytes(files.Path("copy.txt")), "x");
    EXPECT_FALSE(Exists("work/files/copy.txt") || Exists("work/info/copy.txt.trashinfo"));
}

TEST_F(DeleteDialogTest, FileInAFolderTheUserMayNotChangeStaysListedAndCatalogued) {
    TrashHome trash(files);
    FileItem* copy = AddCompared("copy", "same");
    AddCompared("kept", "same");
    // Tests may run as root, whom no permission stops: the deletion runs in a
    // child that becomes an unprivileged user first.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(trash.home.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(files.Root().c_str(), 0555), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (root && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        DesktopFileRemover remover;
        int failed = 0;
        for (RemovalMode mode : {RemovalMode::ToTrash, RemovalMode::Permanently}) {
            DeleteList list({copy});
            DeletionReport report = list.DeleteTicked(window.Session(), remover, mode);
            std::string reason = report.failures.empty() ? "" : report.failures[0].reason;
            if (list.RowCount() != 1 || reason != "Permission denied" ||
                window.Session().Doc().duplicates.CountOfKeyOf(copy) != 2) {
                std::fprintf(stderr, "mode %d: %zu rows, reason \"%s\"\n", int(mode), list.RowCount(), reason.c_str());
                failed = 1;
            }
        }
        _exit(failed);
    }
    int status = -1;
    waitpid(child, &status, 0);
    chmod(files.Root().c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "this root may not become another user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Exists("copy"));
}

}  // namespace
}  // namespace twinseek::testing
