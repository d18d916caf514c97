// The result view in the main window: groups arriving from a comparison and
// then rebuilt, ticking from the keyboard, and a chosen group highlighted in
// the middle of the list that takes the focus.
#include "session/CommandStates.h"
#include "tests/gui/ResultTestSupport.h"

namespace twinseek::testing {
namespace {

using ResultViewTest = ResultViewFixture;

QColor BackgroundOf(const ResultListModel& list, int row) {
    return list.data(list.index(row, kNameColumn), Qt::BackgroundRole).value<QColor>();
}

const QColor kGrey(0xD2, 0xD2, 0xD2);
const QColor kHighlight(0xAA, 0xC8, 0xF5);

TEST_F(ResultViewTest, GroupsArriveFromTheComparisonAndComeBackFromARebuild) {
    std::vector<FileItem*> queued;
    for (auto [name, content] : {std::pair{"a1", "aaaa"}, {"a2", "aaaa"}, {"b1", "bb"}, {"b2", "bb"}, {"b3", "bb"},
                                 {"alone.txt", "zzzzzz"}})
        queued.push_back(AddFile(name, content));
    ASSERT_TRUE(window.Session().CompareFiles(queued));
    ASSERT_TRUE(WaitUntil([&] {
        window.Session().Comparing().OnCollectTimer();
        return !window.Session().IsComparing();
    }));

    GroupTreeModel& tree = Results().GroupTree();
    const QModelIndex tiny = tree.index(6, 0, tree.RootIndex());
    EXPECT_EQ(tree.data(tiny, Qt::ToolTipRole).toString(), "Less than 1K");
    ASSERT_EQ(tree.rowCount(tiny), 2);
    EXPECT_EQ(tree.data(tree.index(1, 0, tiny)).toString(), "b1 [3 Copies]") << "the node that grew is relabelled";
    EXPECT_FALSE(tree.data(tree.index(1, 0, tiny), Qt::DecorationRole).value<QIcon>().isNull());

    EXPECT_EQ(Column(List(), kNameColumn), (QStringList{"a1", "a2", "b1", "b2", "b3"}));
    EXPECT_EQ(List().data(List().index(0, kTickColumn), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(BackgroundOf(List(), 1), kGrey);
    EXPECT_EQ(BackgroundOf(List(), 2), QColor(Qt::white));

    window.Session().Doc().UpdateAllViews();
    EXPECT_EQ(Column(List(), kNameColumn), (QStringList{"a1", "a2", "b1", "b2", "b3"}));
    EXPECT_TRUE(Results().GroupTreeView()->isExpanded(tree.RootIndex()));
}

TEST_F(ResultViewTest, SpaceTicksTheFocusedRowWhateverCellIsCurrent) {
    AddCompared("a1", "aaaa");
    AddCompared("a2", "aaaa");
    ShowGroups();
    ShowActive();
    TickList* list = Results().FileListView();
    list->setFocus();
    list->setCurrentIndex(List().index(1, kDateColumn));
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_TRUE(Results().Model().IsTicked(1));
    EXPECT_FALSE(Results().Model().IsTicked(0));
    window.UpdateCommandStates();
    EXPECT_TRUE(window.Action(kCommandDelete)->isEnabled()) << "a ticked row in the result view shown";
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Results().TickedCount(), 0);
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
    EXPECT_EQ(BackgroundOf(List(), 60), kHighlight);
    EXPECT_EQ(BackgroundOf(List(), 61), kHighlight);
    EXPECT_NE(BackgroundOf(List(), 62), kHighlight);
    const int top = list->indexAt(QPoint(1, 1)).row();
    EXPECT_NEAR(top + list->RowsInView() / 2, 60, 1) << "the group stands in the middle";

    Results().GroupTreeView()->setCurrentIndex(tiny);
    EXPECT_EQ(BackgroundOf(List(), 60), kHighlight) << "a category leaves the highlight as it was";
    Results().GroupTreeView()->setCurrentIndex(tree.index(59, 0, tiny));  // 1 byte
    EXPECT_EQ(BackgroundOf(List(), 60), kGrey);
    EXPECT_EQ(BackgroundOf(List(), 118), kHighlight);
}

}  // namespace
}  // namespace twinseek::testing
