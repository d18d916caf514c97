// The result view in the main window: groups, ticks, highlight, the mark
// commands and the lists' menu; the Delete dialog and the remover it drives.
#include "app/MarkRulesSettings.h"
#include "controls/FileActions.h"
#include "platform/EntryRemoval.h"
#include "platform/PathProbe.h"
#include "platform/TrashInfo.h"
#include "session/CommandStates.h"
#include "tests/gui/MainWindowTestSupport.h"
#include "tests/session/SessionTestSupport.h"
#include "views/MarkCopiesDialog.h"

#include <QClipboard>
#include <QListWidget>
#include <QRadioButton>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace twinseek::testing {
namespace {

const QColor kGrey(0xD2, 0xD2, 0xD2);
const QColor kHighlight(0xAA, 0xC8, 0xF5);

// The main window with the result view's models under the model tester, over
// files catalogued with their digests as a finished comparison leaves them.
class ResultViewTest : public MainWindowFixture {
protected:
    ResultViewTest() {
        for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{&Results().GroupTree(), &List()})
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
    }

    FileItem* AddCompared(const std::string& name, std::string_view content) {
        FileItem* item = CatalogueFile(window.Session().Doc(), files, name, content, Finished);
        window.Session().Doc().duplicates.Insert(item);
        return item;
    }
    // The result view shown with the groups of the files added, as after an Open.
    void ShowGroups() {
        window.Session().Doc().UpdateAllViews();
        window.RunCommand(kCommandResultView);
    }
    // Each row as 1 (ticked) or 0, in row order.
    std::string Ticks() {
        std::string ticks;
        for (size_t row = 0; row < Results().Model().RowCount(); ++row) ticks += Results().Model().IsTicked(row) ? '1' : '0';
        return ticks;
    }

    ResultView& Results() { return window.Results(); }
    ResultListModel& List() { return window.Results().FileListItems(); }
    QColor BackgroundOf(int row) { return List().data(List().index(row, kNameColumn), Qt::BackgroundRole).value<QColor>(); }
    // A copy in a folder of the tree, modified at second `time` as far as the catalogue knows.
    void Copy(const std::string& relative, std::string_view content, int64_t time) {
        std::filesystem::create_directories(std::filesystem::path(files.Path(relative)).parent_path());
        AddCompared(relative, content)->findData.ftLastWriteTime = FileTime::FromUnix(time, 0);
    }
    static void Click(QWidget& dialog, const char* name) {
        auto* button = dialog.findChild<QAbstractButton*>(name);
        ASSERT_TRUE(button) << name;
        button->click();
    }
    // With the mouse, which moves the focus as a user's click does.
    static void Press(QDialog& dialog, const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }
    bool Exists(const std::string& name) const { return PathExists(files.Path(name)); }
};
using MarkCopiesTest = ResultViewTest;
using DeleteDialogTest = ResultViewTest;

TEST_F(ResultViewTest, GroupsArriveFromTheComparisonAndComeBackFromARebuild) {
    std::vector<FileItem*> queued;
    for (auto [name, content] : {std::pair{"a1", "aaaa"}, {"a2", "aaaa"}, {"b1", "bb"}, {"b2", "bb"}, {"b3", "bb"},
                                 {"alone.txt", "zzzzzz"}})
        queued.push_back(AddFile(name, content));
    ASSERT_TRUE(window.Session().CompareFiles(queued));
    ASSERT_TRUE(CollectUntilDone(window.Session()));

    GroupTreeModel& tree = Results().GroupTree();
    const QModelIndex tiny = tree.index(6, 0, tree.RootIndex());
    EXPECT_EQ(tree.data(tiny, Qt::ToolTipRole).toString(), "Less than 1K");
    ASSERT_EQ(tree.rowCount(tiny), 2);
    EXPECT_EQ(tree.data(tree.index(1, 0, tiny)).toString(), "b1 [3 Copies]") << "the node that grew is relabelled";
    EXPECT_FALSE(tree.data(tree.index(1, 0, tiny), Qt::DecorationRole).value<QIcon>().isNull());

    EXPECT_EQ(Column(List(), kNameColumn), (QStringList{"a1", "a2", "b1", "b2", "b3"}));
    EXPECT_EQ(List().data(List().index(0, kTickColumn), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(BackgroundOf(1), kGrey);
    EXPECT_EQ(BackgroundOf(2), QColor(Qt::white));

    window.Session().Doc().UpdateAllViews();
    EXPECT_EQ(Column(List(), kNameColumn), (QStringList{"a1", "a2", "b1", "b2", "b3"}));
    EXPECT_TRUE(Results().GroupTreeView()->isExpanded(tree.RootIndex()));
}

TEST_F(ResultViewTest, SpaceTicksTheFocusedRowOrEverySelectedRowKeysWithoutCommandsDoNothingAndTheMarkCommandsFollow) {
    for (const char* name : {"a1", "a2", "a3", "a4"}) AddCompared(name, "same");
    ShowGroups();
    ShowActive();
    TickList* list = Results().FileListView();
    list->setFocus();
    list->setCurrentIndex(List().index(1, kDateColumn));
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Ticks(), "0100") << "whatever cell is current";
    // A key of the window's table that has no command is swallowed: the list copies nothing.
    QGuiApplication::clipboard()->setText("kept");
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    window.UpdateCommandStates();
    EXPECT_TRUE(window.Action(kCommandDelete)->isEnabled()) << "a ticked row in the result view shown";
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Results().TickedCount(), 0);

    Results().Model().SetTicked(2, true);
    list->selectionModel()->select(QItemSelection(List().index(0, 0), List().index(2, 0)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->selectionModel()->setCurrentIndex(List().index(1, kNameColumn), QItemSelectionModel::NoUpdate);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Ticks(), "1110") << "the focused row was clear: every selected row is ticked";
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Ticks(), "0000");
    list->selectionModel()->setCurrentIndex(List().index(3, kNameColumn), QItemSelectionModel::NoUpdate);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Ticks(), "0001") << "a focused row outside the selection ticks alone";

    window.RunCommand(kCommandInvertMarks);
    EXPECT_EQ(Ticks(), "1110");
    window.RunCommand(kCommandUnmarkAll);
    EXPECT_EQ(Ticks(), "0000");
}

TEST_F(ResultViewTest, ChosenGroupIsHighlightedInTheMiddleOfTheFocusedList) {
    // Sixty groups of two, the largest first: the group of n bytes holds rows
    // 2 * (60 - n) and the next.
    for (int n = 1; n <= 60; ++n) {
        AddCompared(Numbered("x", n), std::string(size_t(n), 'x'));
        AddCompared(Numbered("y", n), std::string(size_t(n), 'x'));
    }
    ShowGroups();
    window.resize(900, 500);
    ShowActive();
    GroupTreeModel& tree = Results().GroupTree();
    TickList* list = Results().FileListView();
    const QModelIndex tiny = tree.index(6, 0, tree.RootIndex());
    Results().GroupTreeView()->setCurrentIndex(tree.index(30, 0, tiny));  // 30 bytes
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(list->currentIndex().row(), 60);
    for (int row : {60, 61}) EXPECT_EQ(BackgroundOf(row), kHighlight) << row;
    EXPECT_NE(BackgroundOf(62), kHighlight);
    const int top = list->indexAt(QPoint(1, 1)).row();
    EXPECT_NEAR(top + list->RowsInView() / 2, 60, 1) << "the group stands in the middle";

    Results().GroupTreeView()->setCurrentIndex(tiny);
    EXPECT_EQ(BackgroundOf(60), kHighlight) << "a category leaves the highlight as it was";
    Results().GroupTreeView()->setCurrentIndex(tree.index(59, 0, tiny));  // 1 byte
    EXPECT_EQ(BackgroundOf(60), kGrey);
    EXPECT_EQ(BackgroundOf(118), kHighlight);
}

TEST_F(MarkCopiesTest, DialogMarksByItsRulesOverTheChosenCategoryAndRemembersThem) {
    Copy("a/x", "1234", 30);  // Tiny Files: the newest
    Copy("ref/x", "1234", 10);
    Copy("b/x", "1234", 20);
    Copy("a/big", std::string(2000, 'b'), 5);  // Very Small Files
    Copy("b/big", std::string(2000, 'b'), 5);
    ShowGroups();
    const std::string reference = files.Path("ref");

    RunWithDialog<MarkCopiesDialog>(window, kCommandMarkCopies, [&](MarkCopiesDialog& dialog) {
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("keepOldest")->isChecked()) << "the first run keeps the oldest";
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("categoryChoice")->isHidden()) << "no category chosen";
        Click(dialog, "keepFolder");
        EXPECT_FALSE(dialog.findChild<QPushButton*>("markButton")->isEnabled()) << "the folder is not named yet";
        Click(dialog, "keepNewest");
        Click(dialog, "addReferenceButton");
        Click(dialog, "markButton");
    }, QString::fromStdString(reference));
    EXPECT_EQ(Ticks(), "01" "101") << "the copy in the reference folder stays; of two equally new, the first path";

    // The next run starts from these rules; Tiny Files chosen in the tree, its groups only.
    GroupTreeModel& tree = Results().GroupTree();
    Results().GroupTreeView()->setCurrentIndex(tree.index(6, 0, tree.RootIndex()));
    Results().Model().UnmarkAll();
    RunWithDialog<MarkCopiesDialog>(window, kCommandMarkCopies, [&](MarkCopiesDialog& dialog) {
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("keepNewest")->isChecked());
        auto* references = dialog.findChild<QListWidget*>("referenceList");
        ASSERT_EQ(references->count(), 1);
        EXPECT_EQ(references->item(0)->text().toStdString(), reference);
        references->item(0)->setSelected(true);
        Click(dialog, "removeReferenceButton");
        auto* category = dialog.findChild<QRadioButton*>("categoryChoice");
        EXPECT_EQ(category->text(), "Only &this category (Tiny Files)");
        category->click();
        Click(dialog, "markButton");
    });
    EXPECT_EQ(Ticks(), "00" "011") << "the newest of the tiny group stays; the other category is left";
    QSettings settings("Orvane", "Twinseek");
    EXPECT_TRUE(LoadMarkRules(settings).referenceFolders.empty());
}

TEST_F(MarkCopiesTest, ListsOpenFilesAndFoldersCopyPathsAndOfferTheMarkCommands) {
    for (const char* name : {"a1", "a2"}) AddCompared(name, "same");
    ShowGroups();
    ShowActive();
    TickList* list = Results().FileListView();
    FileActions& actions = Results().FileListActions();
    QList<QUrl> opened;
    bool opens = true;
    actions.SetOpener([&](const QUrl& url) {
        opened.append(url);
        return opens;
    });

    actions.ShowMenu(list->visualRect(List().index(1, kNameColumn)).center());
    EXPECT_EQ(actions.Menu()->actions().mid(4), (QList<QAction*>{window.Action(kCommandMarkCopies),
                                              window.Action(kCommandUnmarkAll), window.Action(kCommandInvertMarks)}));
    actions.Menu()->findChild<QAction*>("actionOpenFile")->trigger();
    actions.Menu()->findChild<QAction*>("actionOpenContainingFolder")->trigger();
    EXPECT_EQ(opened, (QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(files.Path("a2"))),
                                   QUrl::fromLocalFile(QString::fromStdString(files.Root()))}));
    actions.Menu()->hide();

    list->selectAll();
    actions.CopyPaths(List().index(1, 0));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), files.Path("a1") + "\n" + files.Path("a2"));
    list->clearSelection();
    actions.CopyPaths(List().index(1, 0));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), files.Path("a2")) << "the clicked row alone";

    opened.clear();
    // Through the window, as the window system delivers a double click.
    for (auto [row, column] : {std::pair{0, kSizeColumn}, {1, kTickColumn}}) {
        const QPoint point = list->visualRect(List().index(row, column)).center();
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, list->viewport()->mapTo(&window, point));
    }
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(files.Path("a1")))})
        << "a double click on a tick box opens nothing";

    opens = false;
    ModalAnswerer answerer;
    actions.OpenFile(List().index(0, 0));
    EXPECT_EQ(answerer.seen,
              (Boxes{{"Error", "Unable to open " + QString::fromStdString(files.Path("a1")), QMessageBox::Critical}}));

    // The files view's list gives its rows' paths too.
    window.Files().FileListItems().ShowCategory(kAllFilesId, window.Session().Doc().catalog, window.Progress());
    EXPECT_EQ(window.Files().FileListItems().index(0, 0).data(kFilePathRole).toByteArray().toStdString(),
              files.Path("a1"));
}

TEST_F(DeleteDialogTest, RefusedWhileComparingElseTheDialogListsTheTickedFilesAndStaysOpen) {
    for (const char* name : {"a1", "a2"}) AddCompared(name, "same");
    for (const char* name : {"b1", "b2"}) AddCompared(name, "longer");
    ShowGroups();
    for (size_t row : {1, 3}) Results().Model().SetTicked(row, true);  // b2 and a2, the larger group first
    StartPausedComparison(1);
    {
        ModalAnswerer refusal;
        window.RunCommand(kCommandDelete);
        EXPECT_EQ(refusal.seen, (Boxes{{"Notify", "Can't to process when comparing files!", QMessageBox::Information}}));
        window.Session().StopComparison();
    }
    RunWithDialog<DeleteDialog>(window, kCommandDelete, [&](DeleteDialog& dialog) {
        QAbstractItemModel& rows = *dialog.FileListView()->model();
        EXPECT_FALSE(dialog.TrashChoice()->isChecked());
        EXPECT_EQ(Column(rows, kNameColumn), (QStringList{"b2", "a2"})) << "in the result view's order";

        Press(dialog, "clearAllButton");
        Press(dialog, "deleteButton");
        EXPECT_TRUE(Exists("a2") && Exists("b2")) << "nothing ticked, nothing deleted";
        Press(dialog, "selectAllButton");
        dialog.FileListView()->setCurrentIndex(rows.index(1, kSizeColumn));
        QTest::keyClick(dialog.FileListView(), Qt::Key_Space);
        Press(dialog, "deleteButton");
        EXPECT_TRUE(dialog.isVisible()) << "Delete keeps the dialog open";
        EXPECT_TRUE(dialog.DeletedAny());
        EXPECT_EQ(Column(rows, kNameColumn), QStringList{"a2"}) << "the unticked row stays";
        Press(dialog, "closeButton");
    });
    EXPECT_FALSE(Exists("b2"));
    EXPECT_TRUE(Exists("a2"));
    EXPECT_EQ(Column(List(), kNameColumn), (QStringList{"a1", "a2"})) << "the group left with one file is gone";
    EXPECT_EQ(window.Files().CategoryTree().RootIndex().data().toString(), "All Files [1 Group(s)]")
        << "the files view counts again";
}

TEST_F(DeleteDialogTest, EveryCopyTickedIsAskedAboutWithNoAsDefaultAndOneFileHasItsOwnCaptionAndFailuresInOneWarning) {
    const std::vector<FileItem*> copies = {AddCompared("a1", "same"), AddCompared("a2", "same")};
    DiskFileRemover remover;
    DeleteDialog dialog(window.Session(), copies, remover);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    bool defaultIsNo = false;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            defaultIsNo = box->defaultButton() == box->button(QMessageBox::No);
    });
    ModalAnswerer answerer(QMessageBox::No);
    Press(dialog, "deleteButton");
    ASSERT_EQ(answerer.seen.size(), 1);
    EXPECT_EQ(answerer.seen[0].title, "Notify");
    EXPECT_TRUE(answerer.seen[0].text.startsWith("1 group would keep no copy on disk"));
    EXPECT_TRUE(defaultIsNo);
    EXPECT_TRUE(Exists("a1") && Exists("a2"));
    EXPECT_EQ(dialog.Files().RowCount(), 2u);
    EXPECT_EQ(dialog.focusWidget(), dialog.FileListView()) << "Space and Enter reach the list again";

    struct Refusing final : FileRemover {
        RemoverOutcome Remove(const CheckedEntry&, CleanupAction) override { return {EROFS, {}, {}, {}}; }
        RemoverOutcome Replace(const CheckedEntry&, const CheckedEntry&, CleanupAction) override { return {}; }
    } refusing;
    DeleteDialog one(window.Session(), {copies[0]}, refusing);
    EXPECT_EQ(one.windowTitle(), "Confirm File Delete");
    EXPECT_EQ(one.TrashChoice()->text(), "Send the item to the Recycle Bin.");
    one.show();
    one.TrashChoice()->setChecked(true);
    Press(one, "deleteButton");
    const QString failure = "1 file could not be removed:\n\n" + QString::fromStdString(files.Path("a1"));
    EXPECT_EQ(answerer.seen.mid(1), (Boxes{{"Warning", failure + ": Read-only file system", QMessageBox::Warning}}));
    EXPECT_EQ(one.Files().RowCount(), 1u);
    EXPECT_FALSE(one.DeletedAny());
}

TEST_F(DeleteDialogTest, DeletePressedWhileFilesGoStartsNoSecondDeletion) {
    const std::vector<FileItem*> copies = {AddCompared("a1", "same"), AddCompared("a2", "same")};
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
    DeleteDialog dialog(window.Session(), copies, remover);
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (!remover.started || remover.pressed) return;
        dialog.DeleteTicked();
        remover.pressed = true;
    });
    presser.start(1);
    ModalAnswerer answerer;
    Press(dialog, "deleteButton");
    EXPECT_TRUE(remover.pressed);
    EXPECT_EQ(remover.calls, 2) << "each file removed once";
    EXPECT_TRUE(answerer.seen.isEmpty()) << "no failure to tell";
    EXPECT_EQ(dialog.Files().RowCount(), 0u);
}

TEST_F(DeleteDialogTest, TrashTakesTheFileWithInfoThatNamesWhereItWas) {
    // HOME, the Trash and the working folder in folders of the test's own
    // while the file goes; the suite's own are put back before the checks.
    const QByteArray oldHome = qgetenv("HOME"), oldData = qgetenv("XDG_DATA_HOME");
    const std::filesystem::path work = std::filesystem::current_path();
    const std::string data = files.Path("home/data");
    for (const char* folder : {"home", "work"}) files.Folder(folder);
    qputenv("HOME", files.Path("home").c_str());
    qputenv("XDG_DATA_HOME", data.c_str());
    std::filesystem::current_path(files.Path("work"));
    FileItem* copy = AddCompared("copy 100%.txt", "x");
    AddCompared("kept.txt", "x");
    DiskFileRemover remover;
    DeleteDialog dialog(window.Session(), {copy}, remover);
    dialog.TrashChoice()->setChecked(true);
    ModalAnswerer answerer;
    Press(dialog, "deleteButton");
    std::filesystem::current_path(work);
    qputenv("HOME", oldHome);
    qputenv("XDG_DATA_HOME", oldData);
    EXPECT_TRUE(answerer.seen.isEmpty());
    EXPECT_FALSE(Exists("copy 100%.txt"));
    EXPECT_EQ(ReadBytes(data + "/Trash/files/copy 100%.txt"), "x");
    const auto info = ParseTrashInfo(ReadBytes(data + "/Trash/info/copy 100%.txt.trashinfo"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, files.Path("copy 100%.txt"));
    EXPECT_TRUE(std::filesystem::is_empty(files.Path("work"))) << "nothing lands in the working folder";
}

}  // namespace
}  // namespace twinseek::testing
