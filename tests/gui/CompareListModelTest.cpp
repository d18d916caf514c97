// The Comparing and Finished table models follow their lists by rows: appends
// gathered into one insertion, head removals as removals, never a reset.
#include "views/CompareListModel.h"
#include "tests/compare/CompareTestSupport.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinseek {
namespace {

// Every row signal of a model, as "insert 0-2", "remove 0-1", "reset".
class RowSignals {
public:
    explicit RowSignals(QAbstractItemModel& model) {
        auto note = [this](std::string what) {
            return [this, what](const QModelIndex&, int first, int last) {
                seen.push_back(what + std::to_string(first) + "-" + std::to_string(last));
            };
        };
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, note("insert "));
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, note("remove "));
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { seen.push_back("reset"); });
    }
    std::vector<std::string> Take() { return std::exchange(seen, {}); }

private:
    std::vector<std::string> seen;
};

class CompareListModelTest : public testing::CompareListsFixture {
protected:
    FileItem* Queue(const std::string& name) { return Add(name, 100, "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"); }

    CompareListModel<ComparingList> comparingModel{comparing};
    CompareListModel<FinishedList> finishedModel{finished};
    QAbstractItemModelTester comparingTester{&comparingModel, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QAbstractItemModelTester finishedTester{&finishedModel, QAbstractItemModelTester::FailureReportingMode::Fatal};
    RowSignals comparingRows{comparingModel};
    RowSignals finishedRows{finishedModel};
};

TEST_F(CompareListModelTest, AppendsAreToldTogetherAndHeadRemovalsAsRemovals) {
    EXPECT_EQ(comparingModel.headerData(6, Qt::Horizontal).toString(), "Speed");
    EXPECT_EQ(finishedModel.columnCount(), 5);

    FileItem* first = Queue("first");
    FileItem* second = Queue("second");
    Queue("third");
    EXPECT_EQ(comparingModel.rowCount(), 0) << "not told before a flush";
    comparingModel.Flush();
    comparingModel.Flush();
    EXPECT_EQ(comparingRows.Take(), (std::vector<std::string>{"insert 0-2"}));
    EXPECT_EQ(comparingModel.data(comparingModel.index(1, 0)).toString(), "second");

    // Appends waiting when the head goes are told first, so row numbers hold.
    Queue("fourth");
    first->compareState = Digested;  // as a worker leaves it
    second->compareState = Digested;
    comparing.OnCollectTimer();
    EXPECT_EQ(comparingRows.Take(), (std::vector<std::string>{"insert 3-3", "remove 0-1"}));
    EXPECT_EQ(comparingModel.rowCount(), 2);
    EXPECT_EQ(comparingModel.data(comparingModel.index(0, 0)).toString(), "third");
    finishedModel.Flush();
    EXPECT_EQ(finishedRows.Take(), (std::vector<std::string>{"insert 0-1"}));
    EXPECT_EQ(finishedModel.data(finishedModel.index(1, 2)).toString(), "Complete");

    // A stop drops the rest as one removal; appends never told are dropped silently.
    comparing.Engine().CancelAll();
    EXPECT_EQ(comparingRows.Take(), (std::vector<std::string>{"remove 0-1"}));
    EXPECT_EQ(comparingModel.rowCount(), 0);
    finished.AddEntry({testing::AddFile(root.get(), "late", 5), 0});
    finished.RemoveAll();
    finishedModel.Flush();
    EXPECT_EQ(finishedRows.Take(), (std::vector<std::string>{"remove 0-1"}));
    EXPECT_EQ(finishedModel.rowCount(), 0);
}

}  // namespace
}  // namespace twinseek
