// Merges two documents of 500,000 files each into one and saves it, as
// twinseek-cli merge does, reporting the time and the peak memory: the two
// machines' trees apart (each input under a map of its own, so whole
// subtrees move), and the same tree twice (every record met at a path
// already held and checked against it).
#include "bench/MillionFiles.h"
#include "catalog/FolderItem.h"
#include "compare/ProgressIndicator.h"
#include "document/Document.h"
#include "document/DocumentMerge.h"
#include "document/HeadlessPrompts.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace twinseek {
namespace {

using bench::PeakResidentBytes;
using bench::Seconds;
using bench::StartResidentPeak;

// Each input: a scan of /home/ann as the documents hold it, 500 albums of 1,000 photos.
constexpr int kAlbumsPerInput = 500;
constexpr size_t kFilesPerInput = size_t(kAlbumsPerInput) * bench::kFilesPerFolder;

// The input documents, written once and removed at exit.
class Inputs {
public:
    Inputs() {
        dir = std::filesystem::temp_directory_path() / ("twinseek-merge-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        HeadlessPrompts prompts;
        for (uint64_t seed : {1, 2}) {
            Document doc(prompts);
            bench::BuildPhotoTree(doc.root, {"/", "home", "ann"}, kAlbumsPerInput, seed);
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
