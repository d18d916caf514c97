// The files view with a million files, offscreen: opening the document,
// listing "All Files", scrolling the list (counting the cells the view asks
// for), and one collection tick that moves 50,000 files to the Finished list.
// Prints its figures; ends with 1 when a check fails.
//
//   FilesViewGuiBench [--keep DOCUMENT.tws]   keeps the document for other tools
#include "bench/MillionFiles.h"
#include "catalog/FolderItem.h"
#include "compare/CompareView.h"
#include "controls/ReportList.h"
#include "document/Document.h"
#include "document/HeadlessPrompts.h"
#include "session/AppSession.h"
#include "views/CategoryTreeModel.h"
#include "views/FileListModel.h"
#include "views/FilesView.h"

#include <QApplication>
#include <QIdentityProxyModel>
#include <QScrollBar>
#include <QTreeView>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace twinseek {
namespace {

// Elapsed time and the processor time of the user interface thread, which
// unlike the elapsed time does not grow while other programs hold the processor.
struct Stopwatch {
    static double ThreadMillis() {
        struct timespec now {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
    }
    std::string Text(int divisor = 1) const {
        double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        char text[80];
        std::snprintf(text, sizeof text, "%9.1f ms elapsed %9.1f ms thread", elapsed / divisor,
                      (ThreadMillis() - thread) / divisor);
        return text;
    }
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    double thread = ThreadMillis();
};

// Frees what was freed and starts the kernel's high-water mark of resident
// memory afresh, so the next reading covers what happens from here on.
void StartResidentPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakResidentMegabytes() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

bool failed = false;
void Check(bool holds, const char* what) {
    if (holds) return;
    std::printf("CHECK FAILED: %s\n", what);
    failed = true;
}

// A session and its files view, wired as the main window wires them.
struct ShownFilesView final : CompareView {
    ShownFilesView() {
        view->resize(1200, 800);
        view->show();
        view->SetSplitterPositions(400, 240);
        QApplication::processEvents();
    }
    ListId FileListId() const override { return view->FileListId(); }
    void Repaint(uint32_t lists) override { view->Repaint(lists); }
    void ShowInGroup(FileItem*, size_t) override {}

    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    AppSession session{prompts, progress, *this};
    std::unique_ptr<FilesView> view = std::make_unique<FilesView>(session, progress);
};

// Stores the benchmarks' million-file catalogue, with the file sizes that
// sizeOf gives (the catalogue's own when null), at path.
void StoreMillionFiles(const std::string& path, const std::function<uint64_t(size_t)>& sizeOf) {
    HeadlessPrompts prompts;
    Document document(prompts);
    FolderItem* top = bench::BuildMillionFileTree(document.root);
    size_t index = 0;
    for (FolderItem* folder : top->ChildFolders())
        for (FileItem* file : folder->Files()) {
            if (sizeOf) {
                uint64_t size = sizeOf(index++);
                file->findData.nFileSizeHigh = uint32_t(size >> 32);
                file->findData.nFileSizeLow = uint32_t(size);
            }
            document.catalog.Insert(file->Size(), file);
        }
    document.path = path;
    document.modified = true;
    if (!document.Store()) {
        std::printf("cannot store %s\n", path.c_str());
        std::exit(1);
    }
}

// Counts the display texts the view asks the file list for.
class CountingProxy final : public QIdentityProxyModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) {
            ++calls;
            rows.insert(index.row());
        }
        return QIdentityProxyModel::data(index, role);
    }
    mutable size_t calls = 0;
    mutable std::set<int> rows;
};

void OpenAndList(const char* title, const std::string& path) {
    std::printf("\n%s\n", title);
    {
        // The same load with no view attached: what the core alone costs.
        HeadlessPrompts prompts;
        NullProgressIndicator progress;
        NullCompareView nothingShown;
        AppSession bare(prompts, progress, nothingShown);
        Stopwatch watch;
        Check(bare.OpenFile(path), "the document opens");
        bare.Doc().catalog.All();  // the size index sorts what was loaded on first use
        std::printf("  open without a view    %s\n", watch.Text().c_str());
    }
    auto shown = std::make_unique<ShownFilesView>();
    FilesView& view = *shown->view;

    StartResidentPeak();
    Stopwatch watch;
    Check(shown->session.OpenFile(path), "the document opens");
    QApplication::processEvents();
    std::printf("  open document          %s  (%zu files, %d finished rows)\n", watch.Text().c_str(),
                shown->session.Doc().catalog.Count(), view.FinishedItems().rowCount());

    watch = {};
    view.CategoryTreeView()->setCurrentIndex(view.CategoryTree().RootIndex());
    QApplication::processEvents();
    std::printf("  list \"All Files\"       %s  (%d rows)\n", watch.Text().c_str(), view.FileListRowCount());
    std::printf("  peak resident memory   %9.0f MB from the open on\n", PeakResidentMegabytes());

    watch = {};
    view.CategoryTreeView()->setCurrentIndex(view.CategoryTree().index(0, 0, view.CategoryTree().RootIndex()));
    view.CategoryTreeView()->setCurrentIndex(view.CategoryTree().RootIndex());
    QApplication::processEvents();
    std::printf("  show it again          %s  (kept rows, after another category)\n", watch.Text().c_str());

    // Scroll page by page through the first thousand pages, then to the end.
    ReportList& list = *view.FileListView();
    CountingProxy proxy;
    proxy.setSourceModel(&view.FileListItems());
    list.setModel(&proxy);
    QApplication::processEvents();
    proxy.calls = 0;
    proxy.rows.clear();
    QScrollBar& bar = *list.verticalScrollBar();
    int pages = 0;
    watch = {};
    for (int value = bar.pageStep(); value <= bar.maximum() && pages < 1000; value += bar.pageStep(), ++pages) {
        bar.setValue(value);
        list.viewport()->repaint();
    }
    bar.setValue(bar.maximum());
    list.viewport()->repaint();
    ++pages;
    auto [first, last] = list.VisibleRows();
    const int visible = last - first + 1;
    std::printf("  scroll, a page         %s  (%d pages drawn)\n", watch.Text(pages).c_str(), pages);
    std::printf("  cell texts asked       %9zu     (%.1f a page, %zu rows of %d, %d rows on screen)\n", proxy.calls,
                double(proxy.calls) / pages, proxy.rows.size(), list.model()->rowCount(), visible);
    Check(proxy.rows.size() <= size_t(pages + 1) * size_t(visible + 1), "scrolling reads only the rows shown");
    list.setModel(&view.FileListItems());
}

void CollectionTick(size_t files) {
    std::printf("\ncollection tick of %zu files\n", files);
    auto shown = std::make_unique<ShownFilesView>();
    Document& document = shown->session.Doc();
    FindData entry;
    entry.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    entry.SetName("/");
    FolderItem* folder = document.root->FindOrCreateFolder(entry);
    entry.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    char name[32];
    for (size_t i = 0; i < files; ++i) {
        std::snprintf(name, sizeof name, "file-%06zu.bin", i);
        entry.SetName(name);
        entry.SetSize(1000 + i / 2);
        bool created = false;
        FileItem* file = folder->FindOrCreateFile(entry, created);
        document.catalog.Insert(file->Size(), file);
    }
    document.root->Prune(true);
    shown->view->Rebuild();
    shown->view->CategoryTreeView()->setCurrentIndex(shown->view->CategoryTree().RootIndex());

    // Queued as the compare command queues, then finished as a worker leaves them.
    CompareEngine& engine = shown->session.Engine();
    for (FileItem* file : shown->view->FileListFiles()) engine.AddFile(file);
    ComparingList& comparing = shown->session.Comparing();
    for (size_t row = 0; row < comparing.RowCount(); ++row) {
        CompareJob& job = comparing.Job(row);
        job.startTick = 1;
        job.lastTick = 21;
        job.bytesDone = job.item->Size();
        job.item->SetDigestText("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567");
        job.item->compareState = Digested;
    }
    shown->view->Repaint(kRepaintComparingList | kRepaintFileList);
    QApplication::processEvents();
    Check(shown->view->ComparingItems().rowCount() == int(files), "every job is listed");

    Stopwatch watch;
    comparing.OnCollectTimer();
    std::string collected = watch.Text();
    QApplication::processEvents();
    std::printf("  collect                %s\n", collected.c_str());
    std::printf("  collect and redraw     %s  (%d finished rows, %d comparing rows left)\n", watch.Text().c_str(),
                shown->view->FinishedItems().rowCount(), shown->view->ComparingItems().rowCount());
    Check(shown->view->FinishedItems().rowCount() == int(files), "every file is finished");
}

}  // namespace
}  // namespace twinseek

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::string kept = argc == 3 && std::string(argv[1]) == "--keep" ? argv[2] : "";

    namespace fs = std::filesystem;
    const std::string path =
        kept.empty() ? (fs::temp_directory_path() / ("twinseek-gui-bench-" + std::to_string(getpid()) + ".tws")).string()
                     : kept;
    const std::string everyShared = path + ".shared";
    twinseek::StoreMillionFiles(path, nullptr);
    // Every size held by two files: the whole million is listed.
    twinseek::StoreMillionFiles(everyShared, [](size_t index) { return 1000 + index / 2; });

    twinseek::OpenAndList("one million files, one size in four shared", path);
    twinseek::OpenAndList("one million files, every size shared", everyShared);
    twinseek::CollectionTick(50000);

    if (kept.empty()) fs::remove(path);
    fs::remove(everyShared);
    return twinseek::failed ? 1 : 0;
}
