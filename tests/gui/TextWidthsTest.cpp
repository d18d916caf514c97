// Widths measured in the desktop's font: every column of the lists holds its
// widest texts, the Count pane its widest count, the category tree its labels
// without scrolling sideways; a path cut in the middle shows whole as a tip,
// and a column the user narrows stays so.
#include "app/MainStatusBar.h"
#include "controls/ReportList.h"
#include "controls/TickList.h"
#include "tests/gui/MainWindowTestSupport.h"
#include "views/CategoryTreeModel.h"
#include "views/FileListModel.h"
#include "views/FilesView.h"
#include "views/ResultView.h"

#include <QHeaderView>
#include <QScrollBar>

namespace twinseek::testing {
namespace {

using TextWidthsTest = MainWindowFixture;

// The room a cell of view leaves its text, inside the style's margins.
int TextRoom(const QAbstractItemView& view, int columnWidth) {
    return columnWidth - 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1);
}

TEST_F(TextWidthsTest, ColumnsHoldTheirWidestTextsAndANarrowedColumnStaysNarrow) {
    window.resize(800, 600);
    ShowActive();
    FilesView& view = window.Files();
    const std::tuple<QAbstractItemView*, QHeaderView*, std::span<const ListColumn>> lists[] = {
        {view.FileListView(), view.FileListView()->horizontalHeader(), FileList::kColumns},
        {view.ComparingListView(), view.ComparingListView()->horizontalHeader(), ComparingList::kColumns},
        {view.FinishedListView(), view.FinishedListView()->horizontalHeader(), FinishedList::kColumns},
        {window.Results().FileListView(), window.Results().FileListView()->header(), kResultColumns},
    };
    for (const auto& [list, header, columns] : lists) {
        for (size_t column = 0; column < columns.size(); ++column) {
            if (!columns[column].widestTexts) continue;
            const int room = TextRoom(*list, header->sectionSize(int(column)));
            for (const std::string& text : columns[column].widestTexts())
                EXPECT_LE(list->fontMetrics().horizontalAdvance(QString::fromStdString(text)), room)
                    << list->objectName().toStdString() << " cuts " << text;
        }
    }

    AddFile("a", std::string(5000, 'x'));
    AddFile("b", std::string(5000, 'y'));
    window.Files().Rebuild();
    CategoryTreeModel& tree = window.Files().CategoryTree();
    const QModelIndex verySmall = tree.index(5, 0, tree.RootIndex());
    window.Files().ShowNode(verySmall);
    FileListModel& files = window.Files().FileListItems();
    ASSERT_EQ(files.rowCount(), 2);
    const QModelIndex folder = files.index(0, FileList::kFolder);
    EXPECT_EQ(folder.data(Qt::ToolTipRole), folder.data(Qt::DisplayRole)) << "a path cut in the middle shows whole";

    QHeaderView* header = window.Files().FileListView()->horizontalHeader();
    header->resizeSection(FileList::kSize, 30);  // as a drag does
    window.Files().ShowNode(tree.RootIndex());
    window.Files().ShowNode(verySmall);
    EXPECT_EQ(header->sectionSize(FileList::kSize), 30);
}

TEST_F(TextWidthsTest, CountPaneAndCategoryLabelsFitInASmallWindow) {
    window.resize(640, 480);
    ShowActive();
    const QFontMetrics metrics(window.StatusPanes().font());
    EXPECT_GE(window.StatusPanes().PaneWidth(2), metrics.horizontalAdvance("Count: 100000/100000   100%") + 6);

    QTreeView* tree = window.Files().CategoryTreeView();
    const QString widest = QString::fromStdString(SizeSetLabel("Very Small Files", 999999));
    const QRect row = tree->visualRect(window.Files().CategoryTree().index(5, 0, window.Files().CategoryTree().RootIndex()));
    EXPECT_GE(TextRoom(*tree, tree->viewport()->width() - row.left()), tree->fontMetrics().horizontalAdvance(widest));
    EXPECT_FALSE(tree->horizontalScrollBar()->isVisible());
}

}  // namespace
}  // namespace twinseek::testing
