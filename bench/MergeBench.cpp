// Merges two documents of 500,000 files each into one and saves it, as
// twinseek-cli merge does, reporting the time and the peak memory: the two
// machines' trees apart (each input under a map of its own, so whole
// subtrees move), and the same tree twice (every record met at a path
// already held and checked against it).
#include "catalog/FolderItem.h"
#include "compare/ProgressIndicator.h"
#include "document/Document.h"
#include "document/DocumentMerge.h"
#include "document/HeadlessPrompts.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace twinseek {
namespace {

constexpr int kFolders = 500;
constexpr int kFilesPerFolder = 1000;
constexpr size_t kFilesPerInput = size_t(kFolders) * kFilesPerFolder;

// As bench/DocumentBench: a new peak from here on, where the kernel lets the mark be reset.
void StartResidentPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakResidentBytes() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) * 1024.0;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A scan of /home/ann as the documents hold it: 500 albums of 1,000 photos,
// one size in four shared, every file Finished with its own digest.
void BuildScan(FolderItem* root, uint64_t seed) {
    std::mt19937_64 random(seed);
    FindData entry;
    FolderItem* top = root;
    for (const char* piece : {"/", "home", "ann"}) {
        entry.SetName(piece);
        top = top->FindOrCreateFolder(entry);
    }
    char name[64];
    char digest[33];
    for (int folderIndex = 0; folderIndex < kFolders; ++folderIndex) {
        std::snprintf(name, sizeof name, "album-%04d", folderIndex);
        entry.SetName(name);
        entry.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        entry.SetSize(0);
        FolderItem* folder = top->FindOrCreateFolder(entry);
        for (int fileIndex = 0; fileIndex < kFilesPerFolder; ++fileIndex) {
            std::snprintf(name, sizeof name, "holiday-photo-%04d.jpg", fileIndex);
            entry.SetName(name);
            entry.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
            entry.SetSize(random() % 4 == 0 ? 4096 : random() % 50000000);
            entry.ftLastWriteTime = FileTime::FromValue(random());
            bool created = false;
            FileItem* file = folder->FindOrCreateFile(entry, created);
            for (int i = 0; i < 32; ++i) digest[i] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"[random() % 32];
            digest[32] = '\0';
            file->SetDigestText(digest);
            file->hashMillis = uint32_t(random() % 1000);
            file->compareState = Finished;
        }
    }
    root->Prune(true);
}

// The input documents, written once and removed at exit.
class Inputs {
public:
    Inputs() {
        dir = std::filesystem::temp_directory_path() / ("twinseek-merge-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        HeadlessPrompts prompts;
        for (uint64_t seed : {1, 2}) {
            Document doc(prompts);
            BuildScan(doc.root, seed);
            doc.path = (dir / ("machine" + std::to_string(seed) + ".tws")).string();
            doc.modified = true;
            if (!doc.Store()) std::abort();
            paths.push_back(doc.path);
        }
    }
    ~Inputs() { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
    std::vector<std::string> paths;
};

Inputs& InputFiles() {
    static Inputs inputs;
    return inputs;
}

void Merge(benchmark::State& state, bool apart) {
    const Inputs& files = InputFiles();
    std::vector<MergeInput> inputs;
    if (apart) {
        inputs.push_back({files.paths[0], {{"/home", "/net/laptop/home"}}});
        inputs.push_back({files.paths[1], {{"/home", "/net/nas/home"}}});
    } else {
        inputs.push_back({files.paths[0], {}});
        inputs.push_back({files.paths[0], {}});
    }
    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    for (auto _ : state) {
        StartResidentPeak();
        auto start = std::chrono::steady_clock::now();
        auto output = std::make_unique<Document>(prompts);
        const MergeOutcome outcome = MergeDocuments(*output, inputs, progress);
        const double mergeSeconds = Seconds(start);
        output->path = (files.dir / "merged.tws").string();
        const bool stored = outcome.error.empty() && output->Store();
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        if (!stored || outcome.files != (apart ? 2 : 1) * kFilesPerInput) {
            state.SkipWithError(outcome.error.empty() ? "merge lost files or could not be saved" : outcome.error.c_str());
            break;
        }
        state.counters["records_in"] = double(2 * kFilesPerInput);
        state.counters["load_and_merge_seconds"] = mergeSeconds;
        state.counters["merge_and_save_seconds"] = seconds;
        state.counters["peak_rss"] = PeakResidentBytes();
        state.counters["output_bytes"] = double(std::filesystem::file_size(output->path));
        output.reset();
    }
}

void MergeTwoMachinesApart(benchmark::State& state) { Merge(state, true); }
void MergeOneTreeTwice(benchmark::State& state) { Merge(state, false); }
BENCHMARK(MergeTwoMachinesApart)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);
BENCHMARK(MergeOneTreeTwice)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5);

}  // namespace
}  // namespace twinseek

BENCHMARK_MAIN();
