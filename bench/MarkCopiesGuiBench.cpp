// Mark Copies at scale, offscreen: 100,000 groups of five copies (500,000
// rows) in a shown result view, each rule applied to every group, then Invert
// Marks, Unmark All, and Space over every row selected. Each figure is the
// time from the command to the list drawn again, elapsed and on the thread.
// Prints its figures; ends with 1 when a check fails.
#include "bench/DuplicateGroups.h"
#include "compare/CompareView.h"
#include "controls/TickList.h"
#include "document/HeadlessPrompts.h"
#include "session/AppSession.h"
#include "views/ResultView.h"

#include <QApplication>
#include <QKeyEvent>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <string>

namespace twinseek {
namespace {

constexpr size_t kGroups = 100000;
constexpr size_t kCopies = 5;

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

double slowest = 0;

// Runs a command and lets the list draw itself again; prints both times.
void Time(const char* what, const std::function<void()>& command) {
    const double wallStart = WallMillis();
    const double threadStart = ThreadMillis();
    command();
    QApplication::processEvents();
    const double wall = WallMillis() - wallStart;
    slowest = std::max(slowest, wall);
    std::printf("  %-34s %8.1f ms elapsed %8.1f ms thread\n", what, wall, ThreadMillis() - threadStart);
}

MarkRules Keep(KeepRule rule, std::vector<std::string> references = {}) {
    return MarkRules{rule, {}, std::move(references)};
}

void MarkHalfMillionRows() {
    std::printf("Mark Copies on %zu groups of %zu copies (%zu rows)\n", kGroups, kCopies, kGroups * kCopies);
    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    NullCompareView nothing;
    AppSession session{prompts, progress, nothing};
    auto view = std::make_unique<ResultView>(session);
    view->resize(1200, 800);
    view->show();
    view->SetSplitterPosition(240);
    QApplication::processEvents();

    Document& document = session.Doc();
    std::mt19937_64 random(7);
    std::vector<FileItem*> files = MakeGroups(document.root, "photos", kGroups, kCopies, random);
    // Times within ten steps of each other, so that many copies tie and go by path.
    for (FileItem* file : files) file->findData.ftLastWriteTime = FileTime::FromValue(random() % 10);
    document.duplicates.InsertAll(files);
    document.UpdateAllViews();
    QApplication::processEvents();
    ResultModel& model = view->Model();
    Check(model.RowCount() == kGroups * kCopies, "every file has its row");

    const std::string reference = std::string(files[kCopies * 1000]->parent->GetFullPath());
    for (auto [what, rules] : {std::pair{"keep the newest", Keep(KeepRule::Newest)},
                               {"keep the oldest", Keep(KeepRule::Oldest)},
                               {"keep the shortest path", Keep(KeepRule::Shortest)},
                               {"keep the least nested", Keep(KeepRule::Shallowest)},
                               {"keep the first", Keep(KeepRule::First)},
                               {"keep the oldest, a reference folder", Keep(KeepRule::Oldest, {reference})}}) {
        model.UnmarkAll();
        QApplication::processEvents();
        Time(what, [&] { model.MarkCopies(rules, kAllFilesId); });
        Check(model.TickedCount() >= kGroups * (kCopies - 1) - 1000 && model.TickedCount() <= kGroups * (kCopies - 1),
              "all but one file of each group ticked");
    }
    Time("the same rule again", [&] { model.MarkCopies(Keep(KeepRule::Oldest, {reference}), kAllFilesId); });
    Time("invert marks", [&] { model.InvertMarks(); });
    Time("unmark all", [&] { model.UnmarkAll(); });
    Check(model.TickedCount() == 0, "nothing ticked");

    TickList* list = view->FileListView();
    list->setFocus();
    Time("select every row", [&] { list->selectAll(); });
    list->selectionModel()->setCurrentIndex(list->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    Time("Space over every row selected", [&] {
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QApplication::sendEvent(list, &space);
    });
    Check(model.TickedCount() == kGroups * kCopies, "every row ticked");
    std::printf("  slowest                            %8.1f ms elapsed\n", slowest);
    document.modified = false;
}

}  // namespace
}  // namespace twinseek

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    twinseek::MarkHalfMillionRows();
    return twinseek::failed ? 1 : 0;
}
