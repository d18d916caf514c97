// The folder tree as a user works it: boxes clicked with the mouse or toggled
// with the space bar follow the tree's tick rules, and folders load when expanded.
#include "views/CheckFolderTree.h"
#include "tests/scan/ScanTestSupport.h"
#include "views/FolderTreeItemModel.h"

#include <QAbstractItemModelTester>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

#include <gtest/gtest.h>

namespace twinseek {
namespace {

class FolderTreeViewTest : public ::testing::Test {
protected:
    FolderTreeViewTest() {
        for (const char* folder : {"a", "a/x", "b", ".hidden"}) files.Folder(folder);
        for (const char* file : {"a/y.txt", "c.txt", ".dot.txt", "b/z"}) files.File(file);
        drives.drives = {files.Root()};
        view = std::make_unique<CheckFolderTree>(listing, drives);
        tester = std::make_unique<QAbstractItemModelTester>(&view->Items(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        view->resize(400, 400);
        view->show();
        top = view->model()->index(0, 0);
    }

    QModelIndex Child(const QModelIndex& parent, const char* name) const {
        for (int row = 0; row < view->model()->rowCount(parent); ++row) {
            QModelIndex child = view->model()->index(row, 0, parent);
            if (child.data().toString() == name) return child;
        }
        ADD_FAILURE() << "no " << name;
        return {};
    }

    static Qt::CheckState Box(const QModelIndex& index) { return index.data(Qt::CheckStateRole).value<Qt::CheckState>(); }

    void ClickBox(const QModelIndex& index) {
        view->scrollTo(index);
        QStyleOptionViewItem option;
        option.initFrom(view->viewport());
        option.rect = view->visualRect(index);
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view.get());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
    }

    testing::TemporaryTree files;
    FileSystemListing listing;
    testing::FixedDrives drives;
    std::unique_ptr<CheckFolderTree> view;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QModelIndex top;
};

// Which entries show, and in which order, is FolderTreeModelTest's; here the
// view loads them when a folder is expanded.
TEST_F(FolderTreeViewTest, ExpandingLoadsTheFolderAndOneEmptiedSinceLosesItsButton) {
    EXPECT_EQ(top.data().toString(), QString::fromStdString(files.Root()));
    EXPECT_TRUE(view->model()->hasChildren(top));
    EXPECT_EQ(view->model()->rowCount(top), 0) << "nothing is listed before the first expansion";
    view->expand(top);
    EXPECT_EQ(view->model()->rowCount(top), 4) << ".hidden, a, b and c.txt";
    EXPECT_FALSE(view->model()->hasChildren(Child(top, ".hidden"))) << "an empty folder has no expand button";
    EXPECT_FALSE(view->model()->index(0, 0, top).data(Qt::DecorationRole).value<QIcon>().isNull());

    // Emptied since its parent was listed: opened, it shows nothing and loses its button.
    const QModelIndex b = Child(top, "b");
    ASSERT_TRUE(view->model()->hasChildren(b));
    ASSERT_EQ(unlink(files.Path("b/z").c_str()), 0);
    view->expand(b);
    EXPECT_EQ(view->model()->rowCount(b), 0);
    EXPECT_FALSE(view->model()->hasChildren(b));
}

TEST_F(FolderTreeViewTest, ClicksAndTheSpaceBarFollowTheTickRules) {
    view->expand(top);
    const QModelIndex a = Child(top, "a");
    ClickBox(a);
    EXPECT_EQ(Box(a), Qt::Checked);
    EXPECT_EQ(Box(top), Qt::PartiallyChecked);

    view->expand(a);
    ASSERT_EQ(view->model()->rowCount(a), 2);
    EXPECT_EQ(Box(Child(a, "x")), Qt::Checked) << "a ticked folder opens with its children ticked";
    EXPECT_EQ(Box(Child(a, "y.txt")), Qt::Checked);

    ClickBox(top);
    EXPECT_EQ(Box(top), Qt::Unchecked) << "a click on a partly ticked item clears it";
    EXPECT_EQ(Box(a), Qt::Unchecked);
    EXPECT_EQ(Box(Child(a, "x")), Qt::Unchecked);

    view->setFocus();
    const QModelIndex b = Child(top, "b");
    view->setCurrentIndex(b);
    QTest::keyClick(view.get(), Qt::Key_Space);
    EXPECT_EQ(Box(b), Qt::Checked);
    QTest::keyClick(view.get(), Qt::Key_Space);
    EXPECT_EQ(Box(b), Qt::Unchecked);
}

}  // namespace
}  // namespace twinseek
