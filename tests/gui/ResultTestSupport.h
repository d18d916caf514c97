// A main window whose result view's models run under the model tester, over
// files catalogued with their digests as a finished comparison leaves them.
#pragma once

#include "controls/TickList.h"
#include "tests/compare/CompareTestSupport.h"
#include "tests/gui/MainWindowTestSupport.h"
#include "views/GroupTreeModel.h"
#include "views/ResultView.h"

#include <QAbstractItemModelTester>

#include <sys/stat.h>

namespace twinseek::testing {

class ResultViewFixture : public MainWindowFixture {
protected:
    ResultViewFixture() {
        for (QAbstractItemModel* model : std::initializer_list<QAbstractItemModel*>{&Results().GroupTree(), &List()})
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
    }

    // A file written with content and catalogued with its size, time and digest.
    FileItem* AddCompared(const std::string& name, std::string_view content) {
        FileItem* item = AddFile(name, content);
        struct stat status {};
        EXPECT_EQ(stat(files.Path(name).c_str(), &status), 0);
        item->findData.ftLastWriteTime = FileTime::FromUnix(status.st_mtim.tv_sec, uint32_t(status.st_mtim.tv_nsec));
        item->SetDigestText(DigestTextOf(content));
        item->compareState = Finished;
        window.Session().Doc().duplicates.Insert(item);
        return item;
    }
    // The result view shown with the groups of the files added, as after an Open.
    void ShowGroups() {
        window.Session().Doc().UpdateAllViews();
        window.RunCommand(kCommandResultView);
    }
    int RowOf(std::string_view name) {
        for (size_t row = 0; row < Results().Model().RowCount(); ++row)
            if (Results().Model().File(row)->Name() == name) return int(row);
        return -1;
    }

    ResultView& Results() { return window.Results(); }
    ResultListModel& List() { return window.Results().FileListItems(); }
};

inline QStringList Column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) texts << model.data(model.index(row, column)).toString();
    return texts;
}

}  // namespace twinseek::testing
