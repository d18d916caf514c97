// Opening a folder of 100,000 entries in the folder tree: the whole expansion
// over the real file system, the model's own part over names held in memory,
// and ticking the folder then collecting all but one of its entries.
#include "scan/FolderTreeModel.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinseek {
namespace {

constexpr int kEntries = 100000;
constexpr int kFolders = kEntries / 10;  // each holding one file, so each gets an expand button
const std::string kFolder = "/tmp/twinseek-bench-100k";

// Made once and kept: a later run finds it complete by its last entry.
void MakeFolderOnce() {
    std::string last = kFolder + "/file" + std::to_string(kEntries - kFolders - 1);
    if (access(last.c_str(), F_OK) == 0) return;
    mkdir(kFolder.c_str(), 0755);
    for (int i = 0; i < kFolders; ++i) {
        std::string folder = kFolder + "/folder" + std::to_string(i);
        mkdir(folder.c_str(), 0755);
        close(open((folder + "/inner").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    }
    for (int i = 0; i < kEntries - kFolders; ++i)
        close(open((kFolder + "/file" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
}

struct OneDrive : DriveSource {
    std::vector<std::string> Drives() const override { return {kFolder}; }
};

// The same folder as names in memory: what the model costs beyond the listing.
class MemoryListing : public DirectoryListing {
public:
    MemoryListing() {
        for (int i = 0; i < kFolders; ++i) names.push_back("folder" + std::to_string(i));
        for (int i = 0; i < kEntries - kFolders; ++i) names.push_back("file" + std::to_string(i));
    }
    bool List(const std::string& path, const Visitor& visit) const override {
        if (path != kFolder) {  // a subfolder: its one file
            visit({"inner", false, false});
            return true;
        }
        for (size_t i = 0; i < names.size(); ++i)
            if (!visit({names[i], i < size_t(kFolders), false})) break;
        return true;
    }

private:
    std::vector<std::string> names;
};

void Expand(benchmark::State& state, const DirectoryListing& listing) {
    OneDrive drives;
    for (auto _ : state) {
        auto model = std::make_unique<FolderTreeModel>(listing, drives);
        model->LoadDrives();
        model->Expand(model->Root().Child(0));
        if (model->Root().Child(0).ChildCount() != kEntries) state.SkipWithError("not every entry was shown");
        state.PauseTiming();  // the nodes are freed outside the measure
        model.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = kEntries;
}

void ExpandRealFolder(benchmark::State& state) {
    MakeFolderOnce();
    FileSystemListing listing;
    Expand(state, listing);
}
BENCHMARK(ExpandRealFolder)->Unit(benchmark::kMillisecond)->MinTime(3);

void ExpandFolderInMemory(benchmark::State& state) { Expand(state, MemoryListing()); }
BENCHMARK(ExpandFolderInMemory)->Unit(benchmark::kMillisecond)->MinTime(3);

void TickAndCollectAllButOne(benchmark::State& state) {
    MemoryListing listing;
    OneDrive drives;
    FolderTreeModel model(listing, drives);
    model.LoadDrives();
    FolderNode& top = model.Root().Child(0);
    model.Expand(top);
    for (auto _ : state) {
        model.ToggleCheck(top);
        model.ToggleCheck(top.Child(kEntries / 2));
        std::vector<std::string> roots = model.CollectChecked();
        if (roots.size() != size_t(kEntries - 1)) state.SkipWithError("wrong roots");
        model.ClearAll();
    }
}
BENCHMARK(TickAndCollectAllButOne)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace twinseek

BENCHMARK_MAIN();
