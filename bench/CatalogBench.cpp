// Builds a catalogue of one million files (folder tree, size index and
// duplicate index) and reports the time it takes and the heap bytes per file.
#include "bench/MillionFiles.h"
#include "catalog/DuplicateIndex.h"
#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace twinseek {
namespace {

constexpr double kFiles = double(bench::kFiles);
using bench::HeapInUse;

void BuildCatalogue(benchmark::State& state) {
    for (auto _ : state) {
        size_t before = HeapInUse();
        auto start = std::chrono::steady_clock::now();
        FolderItem* root = FolderItem::CreateRoot();
        FileCatalog catalog;
        DuplicateIndex duplicates;

        FolderItem* top = bench::BuildMillionFileTree(root);
        size_t afterTree = HeapInUse();
        for (FolderItem* folder : top->ChildFolders())
            for (FileItem* file : folder->Files()) catalog.Insert(file->Size(), file);
        (void)catalog.All();
        size_t afterCatalog = HeapInUse();
        for (const auto& entry : catalog) duplicates.Insert(entry.item);
        (void)duplicates.KeyCount();
        size_t afterIndex = HeapInUse();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        state.counters["seconds"] = seconds;
        state.counters["bytes_per_file"] = double(afterIndex - before) / kFiles;
        state.counters["tree_bytes_per_file"] = double(afterTree - before) / kFiles;
        state.counters["catalog_bytes_per_file"] = double(afterCatalog - afterTree) / kFiles;
        state.counters["index_bytes_per_file"] = double(afterIndex - afterCatalog) / kFiles;
        state.counters["record_bytes"] = double(sizeof(FileItem));
        state.PauseTiming();
        duplicates.Clear();
        catalog.Clear();
        delete root;
        state.ResumeTiming();
    }
}
BENCHMARK(BuildCatalogue)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace
}  // namespace twinseek

BENCHMARK_MAIN();
