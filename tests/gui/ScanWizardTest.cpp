// The Disk Scan Wizard driven as a user would, the Scan Disk command acting on
// its result, and its folder tree's tick boxes and folders loaded when expanded.
#include "app/ScanDiskCommand.h"
#include "app/ScanWizard.h"
#include "tests/gui/MainWindowTestSupport.h"
#include "tests/scan/ScanTestSupport.h"
#include "views/CheckFolderTree.h"
#include "views/FolderTreeItemModel.h"

#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace twinseek::testing {
namespace {

// Ticks the drive item and moves on to the size page, ticking the size boxes named.
void ChooseAndScan(ScanWizard& wizard, std::initializer_list<int> sizeBoxes) {
    FolderTreeModel& tree = wizard.FolderTree().Tree();
    tree.ToggleCheck(tree.Root().Child(0));
    wizard.next();
    ASSERT_EQ(wizard.currentId(), kSizePageId);
    EXPECT_EQ(AccessibilityFaults(wizard), QStringList()) << "size page, whose Next button is the commit button";
    const QList<QCheckBox*> boxes = wizard.currentPage()->findChildren<QCheckBox*>();
    auto ticked = [&] { return std::count_if(boxes.begin(), boxes.end(), [](QCheckBox* box) { return box->isChecked(); }); };
    wizard.findChild<QPushButton*>("selectAllSizes")->click();
    ASSERT_EQ(ticked(), 7);
    wizard.findChild<QPushButton*>("clearAllSizes")->click();
    ASSERT_EQ(ticked(), 0);
    for (int box : sizeBoxes) wizard.findChild<QCheckBox*>(QString("sizeBox%1").arg(box))->setChecked(true);
    wizard.next();
}

class ScanWizardTest : public ::testing::Test {
protected:
    // A tree large enough for news of the scan to come before its end, and for Cancel to find it running.
    ScanWizardTest() {
        for (int top = 0; top < 40; ++top) {
            files.Folder(Numbered("big", top));
            for (int inner = 0; inner < 50; ++inner) files.Folder(Numbered("big", top) + "/" + Numbered("d", inner));
        }
        drives.drives = {files.Root()};
    }

    std::unique_ptr<ScanWizard> MakeWizard() {
        auto wizard = std::make_unique<ScanWizard>(data, document, listing, drives,
                                                   [this](const HelpRequest& request) { helpAsked.push_back(request); });
        wizard->show();
        return wizard;
    }

    TemporaryTree files;
    FileSystemListing listing;
    FixedDrives drives;
    HeadlessPrompts prompts;
    Document document{prompts};
    ScanWizardData data;
    std::vector<HelpRequest> helpAsked;
};

TEST_F(ScanWizardTest, AnEmptySelectionWarnsBackShowsWelcomeF1AsksForHelpAndWithoutASizeTheScanEndsOnFinish) {
    auto wizard = MakeWizard();
    EXPECT_EQ(wizard->currentId(), kFolderPageId);
    EXPECT_EQ(wizard->windowTitle(), "Driver(s) and/or Folder(s) to Scan Files");

    ModalAnswerer answerer;
    wizard->next();
    EXPECT_EQ(answerer.seen, (Boxes{{"Warning", "Check Driver or Folder please!", QMessageBox::Warning}}));
    EXPECT_EQ(wizard->currentId(), kFolderPageId);

    wizard->back();
    EXPECT_EQ(wizard->currentId(), kWelcomePageId);
    EXPECT_EQ(wizard->windowTitle(), "Disk Scan Wizard");
    EXPECT_TRUE(wizard->findChild<QCheckBox*>("skipWelcome")->isChecked());
    EXPECT_EQ(AccessibilityFaults(*wizard), QStringList()) << "welcome page";
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kFolderPageId) << "the welcome page moves on by itself only once";
    EXPECT_EQ(AccessibilityFaults(*wizard), QStringList()) << "folder page";

    QTest::keyClick(&wizard->FolderTree(), Qt::Key_F1);
    ASSERT_EQ(helpAsked.size(), 1);
    EXPECT_EQ(helpAsked[0].controlId, 1000);
    EXPECT_EQ(helpAsked[0].contextId, 0);

    // Without a help engine, every request says so in a box; the engine is looked for once.
    ShowContextHelp({1000, 0});
    ShowContextHelp({1011, 0});
    const ModalAnswerer::Seen box{"Error", "Unable to show context help", QMessageBox::Critical};
    EXPECT_EQ(answerer.seen.mid(1), (Boxes{box, box}));
    EXPECT_EQ(ContextHelpLoadAttempts(), 1);

    // Without a size ticked, the scan ends on the completing page, with Finish only.
    ChooseAndScan(*wizard, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return wizard->currentId() == kCompletingPageId; }, 10000));
    EXPECT_FALSE(wizard->button(QWizard::BackButton)->isEnabled());
    EXPECT_TRUE(wizard->button(QWizard::FinishButton)->isVisible());
    EXPECT_EQ(AccessibilityFaults(*wizard), QStringList()) << "completing page";
    wizard->button(QWizard::FinishButton)->click();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
}

TEST_F(ScanWizardTest, CancelDuringALargeScanReturnsAfterTheThreadEndedAndEveryRecordIsDiscarded) {
    auto wizard = MakeWizard();
    QObject::connect(wizard.get(), &QWizard::currentIdChanged, wizard.get(), [&](int id) {
        if (id == kScanningPageId) QTimer::singleShot(0, wizard->button(QWizard::CancelButton), &QAbstractButton::click);
    });
    ChooseAndScan(*wizard, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !wizard->isVisible(); }, 10000));
    EXPECT_EQ(wizard->result(), QDialog::Rejected);
    EXPECT_TRUE(wizard->ScanStarted());
    EXPECT_TRUE(wizard->ScanEnded());
    document.CommitScan(false);
    EXPECT_TRUE(document.root->ChildFolders().empty() && document.root->Files().empty()) << "no record is left";
    EXPECT_EQ(document.intake.Count(), 0u);
    EXPECT_EQ(document.catalog.Count(), 0u);
}

class ScanDiskCommandTest : public MainWindowFixture {};

TEST_F(ScanDiskCommandTest, CancelChangesNothingAndFinishCommitsTheScanAndComparesTheTickedSizes) {
    files.Folder("tree");
    for (const char* name : {"tree/p", "tree/q"}) WriteBytes(files.Path(name), "same bytes");
    WriteBytes(files.Path("tree/r"), "other");
    FixedDrives drives;
    drives.drives = {files.Path("tree")};
    window.SetScanDrives(&drives);
    {
        ModalAnswerer cancel;  // rejects the wizard on its first page
        window.RunCommand(kCommandScanDisk);
        ASSERT_EQ(cancel.seen.size(), 1);
        EXPECT_FALSE(window.Session().Doc().modified) << "a cancelled wizard changes nothing";
    }
    auto scanTinyFiles = [](ScanWizard& wizard) { ChooseAndScan(wizard, {7}); };
    ASSERT_EQ(RunWithDialog<ScanWizard>(window, kCommandScanDisk, scanTinyFiles).size(), 1) << "the wizard and no box";
    EXPECT_EQ(window.Session().Doc().catalog.Count(), 3u);
    EXPECT_TRUE(window.Session().Doc().modified);
    const DuplicateIndex& duplicates = window.Session().Doc().duplicates;
    EXPECT_TRUE(QTest::qWaitFor([&] { return duplicates.KeyCount() == 1 && duplicates.FileCount() == 2; }, 10000))
        << "the tiny files were compared";
}

class FolderTreeViewTest : public ::testing::Test {
protected:
    FolderTreeViewTest() {
        view.resize(400, 400);
        view.show();
    }
    // The tree the view lists, made before the view.
    static FixedDrives Drives(const TemporaryTree& files) {
        for (const char* folder : {"a", "a/x", "b", ".hidden", "only-hidden"}) files.Folder(folder);
        for (const char* file : {"a/y.txt", "c.txt", ".dot.txt", "b/z", "only-hidden/.rc"}) files.File(file);
        files.Link("link-to-a", "a");
        FixedDrives drives;
        drives.drives = {files.Root()};
        return drives;
    }
    QModelIndex Child(const QModelIndex& parent, const char* name) const {
        const int row = Column(*view.model(), 0, parent).indexOf(name);
        EXPECT_GE(row, 0) << "no " << name;
        return view.model()->index(row, 0, parent);
    }
    static Qt::CheckState Box(const QModelIndex& index) { return index.data(Qt::CheckStateRole).value<Qt::CheckState>(); }
    void ClickBox(const QModelIndex& index) {
        view.scrollTo(index);
        QStyleOptionViewItem option;
        option.initFrom(view.viewport());
        option.rect = view.visualRect(index);
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = view.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, box.center());
    }

    TemporaryTree files;
    FileSystemListing listing;
    FixedDrives drives = Drives(files);
    CheckFolderTree view{listing, drives};
    QAbstractItemModelTester tester{&view.Items(), QAbstractItemModelTester::FailureReportingMode::Fatal};
    const QModelIndex top = view.model()->index(0, 0);
};

TEST_F(FolderTreeViewTest, ExpandingLoadsTheFolderOneGoneSinceLosesItsButtonAndBoxesFollowTheTickRules) {
    EXPECT_EQ(top.data().toString(), QString::fromStdString(files.Root()));
    EXPECT_TRUE(view.model()->hasChildren(top));
    EXPECT_EQ(view.model()->rowCount(top), 0) << "nothing is listed before the first expansion";
    view.expand(top);
    // Folders, then files, each by name rather than in the file system's hash order; no hidden file.
    EXPECT_EQ(Column(*view.model(), 0, top), (QStringList{".hidden", "a", "b", "only-hidden", "c.txt", "link-to-a"}));
    for (const char* bare : {".hidden", "only-hidden", "link-to-a"})
        EXPECT_FALSE(view.model()->hasChildren(Child(top, bare))) << bare << ": no expand button, a link is not entered";
    EXPECT_FALSE(view.model()->index(0, 0, top).data(Qt::DecorationRole).value<QIcon>().isNull());

    // Gone since its parent was listed: opened, it shows nothing and loses its button.
    const QModelIndex b = Child(top, "b");
    ASSERT_TRUE(view.model()->hasChildren(b));
    ASSERT_EQ(std::filesystem::remove_all(files.Path("b")), 2u);
    view.expand(b);
    EXPECT_EQ(view.model()->rowCount(b), 0);
    EXPECT_FALSE(view.model()->hasChildren(b));

    // The boxes follow the tick rules, from the mouse and the space bar.
    const QModelIndex a = Child(top, "a");
    ClickBox(a);
    EXPECT_EQ(Box(a), Qt::Checked);
    EXPECT_EQ(Box(top), Qt::PartiallyChecked);

    view.expand(a);
    ASSERT_EQ(view.model()->rowCount(a), 2);
    EXPECT_EQ(Box(Child(a, "x")), Qt::Checked) << "a ticked folder opens with its children ticked";
    EXPECT_EQ(Box(Child(a, "y.txt")), Qt::Checked);

    ClickBox(top);
    EXPECT_EQ(Box(top), Qt::Unchecked) << "a click on a partly ticked item clears it";
    EXPECT_EQ(Box(a), Qt::Unchecked);
    EXPECT_EQ(Box(Child(a, "x")), Qt::Unchecked);

    view.setFocus();
    view.setCurrentIndex(b);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(Box(b), Qt::Checked);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(Box(b), Qt::Unchecked);
}

}  // namespace
}  // namespace twinseek::testing
