// The result view's model at scale, in the core alone: collecting 100,000
// duplicates (50,000 new groups of two, sizes in random order) into a list that
// already holds 500,000 rows, tick by tick as the compare engine collects them;
// the same for 100,000 copies of one file; and rebuilding the groups of a
// one-million-file document.
#include "bench/DuplicateGroups.h"
#include "catalog/FolderItem.h"
#include "document/Document.h"
#include "document/HeadlessPrompts.h"
#include "session/ResultModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace twinseek {
namespace {

constexpr size_t kTickFiles = 2000;

// Counts the notices, as cheaply as a table model that only forwards them.
class CountingObserver final : public RowObserver {
public:
    void RowsAboutToBeInserted(size_t, size_t count) override { inserted += count; }
    void RowsInserted() override {}
    void RowsAboutToBeRemoved(size_t, size_t) override {}
    void RowsRemoved() override {}
    void RowsChanged(size_t, size_t) override { ++changes; }
    void AboutToReset() override {}
    void ResetDone() override {}

    size_t inserted = 0;
    size_t changes = 0;
};


double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Files the arrivals into the index and the model a tick at a time, as the
// compare engine's collection does, and reports the total and the slowest tick,
// in wall time and in this thread's processor time (the machine may be busy),
// and the model's share. countOf tells how many files the key of a file holds
// once it is filed.
template <typename CountOf>
void CollectInTicks(benchmark::State& state, Document& document, ResultModel& model,
                    const std::vector<FileItem*>& arrivals, CountOf countOf) {
    double wall = 0, slowestWall = 0, processor = 0, slowestProcessor = 0, modelProcessor = 0;
    for (size_t first = 0; first < arrivals.size(); first += kTickFiles) {
        const double wallStart = WallSeconds();
        const double processorStart = ThreadSeconds();
        for (size_t i = first; i < std::min(arrivals.size(), first + kTickFiles); ++i) {
            FileItem* item = arrivals[i];
            document.duplicates.Insert(item);
            if (countOf(item) > 1) {
                const double modelStart = ThreadSeconds();
                model.AddCollectedFile(item);
                modelProcessor += ThreadSeconds() - modelStart;
            }
        }
        const double tickWall = WallSeconds() - wallStart;
        const double tickProcessor = ThreadSeconds() - processorStart;
        wall += tickWall;
        processor += tickProcessor;
        slowestWall = std::max(slowestWall, tickWall);
        slowestProcessor = std::max(slowestProcessor, tickProcessor);
    }
    state.SetIterationTime(wall);
    state.counters["total_ms"] = wall * 1000;
    state.counters["slowest_tick_ms"] = slowestWall * 1000;
    state.counters["total_cpu_ms"] = processor * 1000;
    state.counters["slowest_tick_cpu_ms"] = slowestProcessor * 1000;
    state.counters["model_cpu_ms"] = modelProcessor * 1000;
    state.counters["rows"] = double(model.RowCount());
}

void CollectIntoHalfMillionRows(benchmark::State& state) {
    for (auto _ : state) {
        HeadlessPrompts prompts;
        Document document(prompts);
        std::mt19937_64 random(42);
        std::vector<FileItem*> held = MakeGroups(document.root, "held", 250000, 2, random);
        document.duplicates.InsertAll(held);
        ResultModel model(document);
        CountingObserver observer;
        model.SetRowObserver(&observer);
        model.Rebuild();

        std::vector<FileItem*> arrivals = MakeGroups(document.root, "new", 50000, 2, random);
        std::shuffle(arrivals.begin(), arrivals.end(), random);
        CollectInTicks(state, document, model, arrivals,
                       [&](const FileItem* item) { return document.duplicates.CountOfKeyOf(item); });
        state.counters["notices"] = double(observer.changes);
        document.modified = false;
    }
}
BENCHMARK(CollectIntoHalfMillionRows)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3);

void CollectOneLargeGroup(benchmark::State& state) {
    for (auto _ : state) {
        HeadlessPrompts prompts;
        Document document(prompts);
        std::mt19937_64 random(7);
        std::vector<FileItem*> held = MakeGroups(document.root, "held", 250000, 2, random);
        document.duplicates.InsertAll(held);
        ResultModel model(document);
        model.Rebuild();
        // Counted here: the index counts a key's files one by one, which for
        // one key of 100,000 files is its own cost, not the model's.
        size_t filed = 0;
        CollectInTicks(state, document, model, MakeGroups(document.root, "copies", 1, 100000, random),
                       [&](const FileItem*) { return ++filed; });
        document.modified = false;
    }
}
BENCHMARK(CollectOneLargeGroup)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void RebuildMillionFiles(benchmark::State& state) {
    HeadlessPrompts prompts;
    Document document(prompts);
    std::mt19937_64 random(42);
    std::vector<FileItem*> files = MakeGroups(document.root, "photos", 500000, 2, random);
    document.duplicates.InsertAll(files);
    ResultModel model(document);
    for (auto _ : state) model.Rebuild();
    state.counters["rows"] = double(model.RowCount());
    state.counters["groups"] = double(model.ChildCount(1) + model.ChildCount(2) + model.ChildCount(3) +
                                      model.ChildCount(4) + model.ChildCount(5) + model.ChildCount(6) +
                                      model.ChildCount(7));
}
BENCHMARK(RebuildMillionFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

// The index's share of a rebuild: one pass over its groups, nothing made.
void IndexPassMillionFiles(benchmark::State& state) {
    HeadlessPrompts prompts;
    Document document(prompts);
    std::mt19937_64 random(42);
    std::vector<FileItem*> files = MakeGroups(document.root, "photos", 500000, 2, random);
    document.duplicates.InsertAll(files);
    size_t groups = 0;
    for (auto _ : state)
        document.duplicates.ForEachDuplicateGroup([&](uint64_t, DuplicateIndex::FileRange) { ++groups; });
    benchmark::DoNotOptimize(groups);
}
BENCHMARK(IndexPassMillionFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace twinseek

BENCHMARK_MAIN();
