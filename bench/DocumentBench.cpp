// Stores a document of one million files and loads it back into a fresh
// document, reporting the time of each, the file size and the memory used.
#include "bench/MillionFiles.h"
#include "catalog/FolderItem.h"
#include "compare/ProgressIndicator.h"
#include "document/Document.h"
#include "document/HeadlessPrompts.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace twinseek {
namespace {

using bench::HeapInUse;
using bench::kFiles;
using bench::PeakResidentBytes;
using bench::Seconds;
using bench::StartResidentPeak;

// Processor time of the whole (single-threaded) process, which unlike the
// elapsed time does not grow while other programs hold the processor.
double ProcessorSeconds() {
    struct timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The benchmarks' million-file catalogue inside a document.
void BuildCatalogue(Document& doc) {
    FolderItem* top = bench::BuildMillionFileTree(doc.root);
    for (FolderItem* folder : top->ChildFolders())
        for (FileItem* file : folder->Files()) doc.catalog.Insert(file->Size(), file);
    for (const FileCatalog::Entry& indexed : doc.catalog) doc.duplicates.Insert(indexed.item);
    (void)doc.duplicates.KeyCount();
}

// The document file the benchmarks write and read, removed at exit.
class ScratchFile {
public:
    ScratchFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "twinseek-bench-XXXXXX").string();
        int descriptor = mkstemp(pattern.data());
        if (descriptor == -1) std::abort();
        close(descriptor);
        path = pattern;
    }
    ~ScratchFile() { std::filesystem::remove(path); }

    std::string path;
    bool stored = false;
};

ScratchFile& DocumentFile() {
    static ScratchFile file;
    return file;
}

void StoreDocument(benchmark::State& state) {
    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    for (auto _ : state) {
        StartResidentPeak();
        size_t heapBefore = HeapInUse();
        auto doc = std::make_unique<Document>(prompts, &progress);
        BuildCatalogue(*doc);
        size_t heapBuilt = HeapInUse();
        double rssBuilt = PeakResidentBytes();

        StartResidentPeak();
        doc->path = DocumentFile().path;
        doc->modified = true;
        double processorStart = ProcessorSeconds();
        auto start = std::chrono::steady_clock::now();
        bool saved = doc->Store();
        double seconds = Seconds(start);
        double processorSeconds = ProcessorSeconds() - processorStart;
        state.SetIterationTime(seconds);
        if (!saved) {
            std::vector<std::string> errors = prompts.TakeErrors();
            state.SkipWithError(errors.empty() ? "store failed" : errors.back().c_str());
            break;
        }
        DocumentFile().stored = true;

        state.counters["store_seconds"] = seconds;
        state.counters["store_cpu_seconds"] = processorSeconds;
        state.counters["file_bytes"] = double(std::filesystem::file_size(DocumentFile().path));
        state.counters["built_heap_bytes"] = double(heapBuilt - heapBefore);
        state.counters["built_peak_rss"] = rssBuilt;
        state.counters["store_heap_growth"] = double(HeapInUse()) - double(heapBuilt);
        state.counters["store_peak_rss"] = PeakResidentBytes();
        doc.reset();
    }
}
BENCHMARK(StoreDocument)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void LoadDocument(benchmark::State& state) {
    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    if (!DocumentFile().stored) {
        Document source(prompts, &progress);
        BuildCatalogue(source);
        source.path = DocumentFile().path;
        source.modified = true;
        if (!source.Store()) {
            state.SkipWithError("store failed");
            return;
        }
        DocumentFile().stored = true;
    }
    for (auto _ : state) {
        std::vector<FileItem*> finished;
        StartResidentPeak();
        size_t heapBefore = HeapInUse();
        auto doc = std::make_unique<Document>(prompts, &progress);
        doc->onFinishedLoaded = [&finished](FileItem* file, uint32_t) { finished.push_back(file); };
        double processorStart = ProcessorSeconds();
        auto start = std::chrono::steady_clock::now();
        bool loaded = doc->OpenFile(DocumentFile().path);
        double seconds = Seconds(start);
        double processorSeconds = ProcessorSeconds() - processorStart;
        state.SetIterationTime(seconds);
        if (!loaded || finished.size() != kFiles || doc->catalog.Count() != kFiles ||
            doc->duplicates.FileCount() != kFiles) {
            std::vector<std::string> errors = prompts.TakeErrors();
            state.SkipWithError(errors.empty() ? "load lost files" : errors.back().c_str());
            break;
        }
        size_t heapLoaded = HeapInUse();
        state.counters["load_seconds"] = seconds;
        state.counters["load_cpu_seconds"] = processorSeconds;
        state.counters["load_heap_bytes"] = double(heapLoaded - heapBefore);
        state.counters["load_heap_bytes_per_file"] = double(heapLoaded - heapBefore) / double(kFiles);
        state.counters["load_peak_rss"] = PeakResidentBytes();
        state.counters["records_per_second"] = double(kFiles) / seconds;
        doc.reset();
    }
}
BENCHMARK(LoadDocument)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
}  // namespace twinseek

BENCHMARK_MAIN();
