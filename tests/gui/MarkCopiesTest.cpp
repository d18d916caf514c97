// The mark commands in the main window: the Mark Copies dialog with its rules
// remembered between runs, Space over several rows, and the lists' context
// menu and double click.
#include "app/MarkRulesSettings.h"
#include "controls/FileActions.h"
#include "session/CommandStates.h"
#include "tests/gui/ResultTestSupport.h"
#include "views/FilesView.h"
#include "views/MarkCopiesDialog.h"

#include <QClipboard>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

namespace twinseek::testing {
namespace {

class MarkCopiesTest : public ResultViewFixture {
protected:
    // A copy in a folder of the tree, modified at second `time` as far as the catalogue knows.
    FileItem* Copy(const std::string& relative, std::string_view content, int64_t time) {
        const size_t slash = relative.rfind('/');
        if (slash != std::string::npos) std::filesystem::create_directories(files.Path(relative.substr(0, slash)));
        FileItem* item = AddCompared(relative, content);
        item->findData.ftLastWriteTime = FileTime::FromUnix(time, 0);
        return item;
    }
    // Each row as 1 (ticked) or 0, in row order.
    std::string Ticks() {
        std::string ticks;
        for (size_t row = 0; row < Results().Model().RowCount(); ++row) ticks += Results().Model().IsTicked(row) ? '1' : '0';
        return ticks;
    }
    // Runs Mark Copies with the dialog set up by fill (then Mark pressed), a
    // folder chooser answering with chosenFolder.
    void MarkCopies(const std::function<void(MarkCopiesDialog&)>& fill, const std::string& chosenFolder = {}) {
        bool filled = false;
        ModalAnswerer answerer(QMessageBox::Ok, [&](QDialog& opened) {
            if (auto* chooser = qobject_cast<QFileDialog*>(&opened)) {
                chooser->selectFile(QString::fromStdString(chosenFolder));
                opened.accept();  // the file dialog's own accept, which takes the selection
                return;
            }
            auto* dialog = qobject_cast<MarkCopiesDialog*>(&opened);
            ASSERT_TRUE(dialog);
            if (std::exchange(filled, true)) return;  // back from a folder chooser
            // Later, so that a folder chooser it opens is answered too.
            QTimer::singleShot(0, dialog, [dialog, &fill] { fill(*dialog); });
        });
        window.RunCommand(kCommandMarkCopies);
        EXPECT_TRUE(filled);
    }
    static void Click(QWidget& dialog, const char* name) {
        auto* button = dialog.findChild<QAbstractButton*>(name);
        ASSERT_TRUE(button) << name;
        button->click();
    }
};

TEST_F(MarkCopiesTest, DialogMarksByItsRulesOverTheChosenCategoryAndRemembersThem) {
    Copy("a/x", "1234", 30);  // Tiny Files: the newest
    Copy("ref/x", "1234", 10);
    Copy("b/x", "1234", 20);
    Copy("a/big", std::string(2000, 'b'), 5);  // Very Small Files
    Copy("b/big", std::string(2000, 'b'), 5);
    ShowGroups();
    const std::string reference = files.Path("ref");

    MarkCopies([&](MarkCopiesDialog& dialog) {
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("keepOldest")->isChecked()) << "the first run keeps the oldest";
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("categoryChoice")->isHidden()) << "no category chosen";
        Click(dialog, "keepFolder");
        EXPECT_FALSE(dialog.findChild<QPushButton*>("markButton")->isEnabled()) << "the folder is not named yet";
        Click(dialog, "keepNewest");
        Click(dialog, "addReferenceButton");
        Click(dialog, "markButton");
    }, reference);
    EXPECT_EQ(Ticks(), "01" "101") << "the copy in the reference folder stays; of two equally new, the first path";

    // The next run starts from these rules; Tiny Files chosen in the tree, its groups only.
    GroupTreeModel& tree = Results().GroupTree();
    Results().GroupTreeView()->setCurrentIndex(tree.index(6, 0, tree.RootIndex()));
    Results().Model().UnmarkAll();
    MarkCopies([&](MarkCopiesDialog& dialog) {
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

TEST_F(MarkCopiesTest, RulesComeBackFromTheSettingsFileWithTheirBytes) {
    QTemporaryDir folder;
    const QString file = folder.filePath("Twinseek.conf");
    {
        QSettings settings(file, QSettings::IniFormat);
        EXPECT_EQ(LoadMarkRules(settings).keep, KeepRule::Oldest) << "nothing saved yet";
        settings.setValue("MarkCopiesKeep", "largest");
        EXPECT_EQ(LoadMarkRules(settings).keep, KeepRule::Oldest) << "an unknown rule is the default";
    }
    for (const std::vector<std::string>& references : std::vector<std::vector<std::string>>{
             {"/data/one \xff\xfe"}, {"/data/a", "/data/b,c"}, {}}) {
        const MarkRules rules{KeepRule::InFolder, "/keep/\xe9t\xe9", references};
        {
            QSettings settings(file, QSettings::IniFormat);
            SaveMarkRules(settings, rules);
        }
        QSettings settings(file, QSettings::IniFormat);
        const MarkRules loaded = LoadMarkRules(settings);
        EXPECT_EQ(loaded.keep, KeepRule::InFolder);
        EXPECT_EQ(loaded.keepFolder, rules.keepFolder);
        EXPECT_EQ(loaded.referenceFolders, references);
    }
}

TEST_F(MarkCopiesTest, SpaceOverSelectedRowsTicksThemAllThenClearsThemAll) {
    for (const char* name : {"a1", "a2", "a3", "a4"}) AddCompared(name, "same");
    ShowGroups();
    ShowActive();
    TickList* list = Results().FileListView();
    list->setFocus();
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

TEST_F(MarkCopiesTest, ListsOpenFilesAndFoldersCopyPathsAndOfferTheMarkCommands) {
    AddCompared("a1", "same");
    AddCompared("a2", "same");
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
    auto doubleClick = [&](int row, int column) {
        const QPoint point = list->visualRect(List().index(row, column)).center();
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, list->viewport()->mapTo(&window, point));
    };
    doubleClick(0, kSizeColumn);
    doubleClick(1, kTickColumn);
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(files.Path("a1")))})
        << "a double click on a tick box opens nothing";

    opens = false;
    ModalAnswerer answerer;
    actions.OpenFile(List().index(0, 0));
    ASSERT_EQ(answerer.seen.size(), 1);
    EXPECT_EQ(answerer.seen[0].title, "Error");
    EXPECT_EQ(answerer.seen[0].text.toStdString(), "Unable to open " + files.Path("a1"));

    // The files view's list gives its rows' paths too.
    window.Files().FileListItems().ShowCategory(kAllFilesId, window.Session().Doc().catalog, window.Progress());
    EXPECT_EQ(window.Files().FileListItems().index(0, 0).data(kFilePathRole).toByteArray().toStdString(),
              files.Path("a1"));
}

}  // namespace
}  // namespace twinseek::testing
