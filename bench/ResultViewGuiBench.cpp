// The result view at scale, offscreen: collecting 100,000 duplicates (50,000
// new groups of two, sizes in random order) into a view already showing
// 500,000 rows, a tick of the compare engine's collection at a time, each tick
// drawn before the next; and rebuilding the view from a one-million-file
// document's groups. Prints its figures; ends with 1 when a check fails.
#include "bench/DuplicateGroups.h"
#include "catalog/FolderItem.h"
#include "compare/CompareView.h"
#include "controls/TickList.h"
#include "document/HeadlessPrompts.h"
#include "session/AppSession.h"
#include "views/GroupTreeModel.h"
#include "views/ResultView.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace twinseek {
namespace {

constexpr size_t kTickFiles = 2000;

double ThreadMillis() {
    struct timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
}

double WallMillis() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool failed = false;
void Check(bool holds, const char* what) {
    if (holds) return;
    std::printf("CHECK FAILED: %s\n", what);
    failed = true;
}

// A session and its result view, shown as in the main window.
struct ShownResultView {
    ShownResultView() {
        view->resize(1200, 800);
        view->show();
        view->SetSplitterPosition(240);
        QApplication::processEvents();
    }
    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    NullCompareView nothing;
    AppSession session{prompts, progress, nothing};
    std::unique_ptr<ResultView> view = std::make_unique<ResultView>(session);
};


void CollectIntoHalfMillionRows() {
    std::printf("collecting 100,000 duplicates (50,000 groups) into 500,000 rows, %zu files a tick\n", kTickFiles);
    ShownResultView shown;
    Document& document = shown.session.Doc();
    std::mt19937_64 random(42);
    document.duplicates.InsertAll(MakeGroups(document.root, "held", 250000, 2, random));
    document.UpdateAllViews();
    QApplication::processEvents();
    // A group chosen, as a user looking at the list would have.
    const GroupTreeModel& tree = shown.view->GroupTree();
    shown.view->ShowGroup(tree.index(0, 0, tree.index(2, 0, tree.RootIndex())));
    QApplication::processEvents();

    std::vector<FileItem*> arrivals = MakeGroups(document.root, "new", 50000, 2, random);
    std::shuffle(arrivals.begin(), arrivals.end(), random);
    double wall = 0, thread = 0, slowestWall = 0, slowestThread = 0;
    size_t ticks = 0;
    for (size_t first = 0; first < arrivals.size(); first += kTickFiles, ++ticks) {
        const double wallStart = WallMillis();
        const double threadStart = ThreadMillis();
        for (size_t i = first; i < std::min(arrivals.size(), first + kTickFiles); ++i) {
            FileItem* item = arrivals[i];
            document.duplicates.Insert(item);
            if (document.duplicates.CountOfKeyOf(item) > 1) shown.view->AddCollectedFile(item);
        }
        QApplication::processEvents();  // the list laid out and drawn again
        const double tickWall = WallMillis() - wallStart;
        const double tickThread = ThreadMillis() - threadStart;
        wall += tickWall;
        thread += tickThread;
        slowestWall = std::max(slowestWall, tickWall);
        slowestThread = std::max(slowestThread, tickThread);
    }
    std::printf("  total                  %9.1f ms elapsed %9.1f ms thread  (%zu ticks)\n", wall, thread, ticks);
    std::printf("  slowest tick           %9.1f ms elapsed %9.1f ms thread\n", slowestWall, slowestThread);
    std::printf("  rows                   %9d\n", shown.view->FileListItems().rowCount());
    Check(shown.view->FileListItems().rowCount() == 600000, "every file has its row");
    document.modified = false;
}

void RebuildMillionFiles() {
    std::printf("\nrebuilding the groups of a one-million-file document (500,000 groups of two)\n");
    ShownResultView shown;
    Document& document = shown.session.Doc();
    std::mt19937_64 random(42);
    document.duplicates.InsertAll(MakeGroups(document.root, "photos", 500000, 2, random));
    for (int run = 0; run < 3; ++run) {
        const double wallStart = WallMillis();
        const double threadStart = ThreadMillis();
        document.UpdateAllViews();
        const double rebuilt = WallMillis() - wallStart;
        QApplication::processEvents();
        std::printf("  rebuild                %9.1f ms elapsed, %9.1f ms with the list drawn (%9.1f ms thread)\n",
                    rebuilt, WallMillis() - wallStart, ThreadMillis() - threadStart);
    }
    Check(shown.view->FileListItems().rowCount() == 1000000, "every file has its row");
    document.modified = false;
}

}  // namespace
}  // namespace twinseek

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    twinseek::CollectIntoHalfMillionRows();
    twinseek::RebuildMillionFiles();
    return twinseek::failed ? 1 : 0;
}
