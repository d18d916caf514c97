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
    const struct {
        QAbstractItemView* view;
        QHeaderView* header;
        std::span<const ListColumn> columns;
    } lists[] = {
        {window.Files().FileListView(), window.Files().FileListView()->horizontalHeader(), FileList::kColumns},
        {window.Files().ComparingListView(), window.Files().ComparingListView()->horizontalHeader(),
         ComparingList::kColumns},
        {window.Files().FinishedListView(), window.Files().FinishedListView()->horizontalHeader(),
         FinishedList::kColumns},
        {window.Results().FileListView(), window.Results().FileListView()->header(), kResultColumns},
    };
    for (const auto& list : lists) {
        for (size_t column = 0; column < list.columns.size(); ++column) {
            const int width = list.header->sectionSize(int(column));
            EXPECT_GE(width, list.columns[column].width) << list.view->objectName().toStdString() << column;
            if (!list.columns[column].widestTexts) continue;
            for (const std::string& text : list.columns[column].widestTexts())
                EXPECT_LE(list.view->fontMetrics().horizontalAdvance(QString::fromStdString(text)),
                          TextRoom(*list.view, width))
                    << list.view->objectName().toStdString() << " cuts " << text;
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
    EXPECT_FALSE(files.index(0, FileList::kName).data(Qt::ToolTipRole).isValid());

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
