// One duplicate group of N copies: collected (filed and counted, as the compare
// engine does), counted and found again, and removed from the index and the
// catalogue as a deletion would. The time per copy stays flat as N doubles.
#include "catalog/DuplicateIndex.h"
#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace twinseek {
namespace {

constexpr char kEmptyDigest[] = "3I42H3S6NNFQ2MSVX7XZKYAYSCX5QBYJ";

// N empty files in one folder, digested and finished.
struct Group {
    explicit Group(size_t n) : root(FolderItem::CreateRoot()) {
        FindData entry;
        char name[32];
        for (size_t i = 0; i < n; ++i) {
            std::snprintf(name, sizeof name, "copy-%07zu", i);
            entry.SetName(name);
            bool created = false;
            FileItem* file = root->FindOrCreateFile(entry, created);
            file->SetDigestText(kEmptyDigest);
            file->compareState = Finished;
            copies.push_back(file);
        }
    }
    ~Group() { delete root; }
    void Collect(DuplicateIndex& index) const {
        for (FileItem* copy : copies) {
            index.Insert(copy);
            benchmark::DoNotOptimize(index.CountOfKeyOf(copy));
        }
    }

    FolderItem* root;
    std::vector<FileItem*> copies;
};

void Report(benchmark::State& state) {
    const double n = double(state.range(0));
    state.SetComplexityN(state.range(0));
    state.counters["per_copy"] =
        benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Collect(benchmark::State& state) {
    Group group(size_t(state.range(0)));
    for (auto _ : state) {
        DuplicateIndex index;
        group.Collect(index);
        state.PauseTiming();
        index.Clear();
        state.ResumeTiming();
    }
    Report(state);
}

// What a view asks for each row of the group: its count, its files, its first.
void CountAndFind(benchmark::State& state) {
    Group group(size_t(state.range(0)));
    DuplicateIndex index;
    group.Collect(index);
    const std::string key = "0" + std::string(kEmptyDigest);
    for (auto _ : state)
        for (size_t i = 0; i < group.copies.size(); ++i) {
            benchmark::DoNotOptimize(index.Count(key));
            benchmark::DoNotOptimize(index.Files(key));
            benchmark::DoNotOptimize(index.First(key));
        }
    Report(state);
}

// Last copy first, the order in which a walk to the file would be longest.
void Remove(benchmark::State& state) {
    Group group(size_t(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        DuplicateIndex index;
        FileCatalog catalog;
        group.Collect(index);
        for (FileItem* copy : group.copies) catalog.Insert(0, copy);
        (void)catalog.All();
        state.ResumeTiming();
        for (auto it = group.copies.rbegin(); it != group.copies.rend(); ++it) {
            index.Remove(*it);
            catalog.Remove(0, *it);
        }
    }
    Report(state);
}

BENCHMARK(Collect)->Arg(10000)->Arg(20000)->Arg(40000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
BENCHMARK(CountAndFind)->Arg(10000)->Arg(20000)->Arg(40000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
BENCHMARK(Remove)->Arg(10000)->Arg(20000)->Arg(40000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace twinseek

BENCHMARK_MAIN();
