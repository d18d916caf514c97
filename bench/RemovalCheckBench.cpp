// What the check before removal costs: copies of large files are catalogued
// and compared, then one copy of each group is removed for good through the
// checks (its bytes read against the copy that stays). Prints seconds per GB
// removed with the page cache warm and, as root, cold.
//   RemovalCheckBench [FOLDER] [GROUPS] [MIB_PER_FILE] [RUNS]
#include "compare/CompareView.h"
#include "compare/ProgressIndicator.h"
#include "document/HeadlessPrompts.h"
#include "scan/ScanEngine.h"
#include "session/AppSession.h"
#include "session/DiskFileRemover.h"
#include "session/FileDeletion.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace twinseek {
namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Groups of two equal files of random bytes.
void MakeCopies(const std::filesystem::path& folder, int groups, size_t bytes) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::mt19937_64 random(42);
    std::vector<uint64_t> words(bytes / 8);
    for (int group = 0; group < groups; ++group) {
        for (uint64_t& word : words) word = random();
        for (const char* copy : {"a", "b"}) {
            std::ofstream out(folder / ("group" + std::to_string(group) + copy), std::ios::binary);
            out.write(reinterpret_cast<const char*>(words.data()), std::streamsize(words.size() * 8));
        }
    }
}

bool DropCaches() {
    sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    return drop && (drop << "3").flush();
}

// One run: catalogue and compare, then remove the b copies; the seconds the removal took.
double RemoveOneCopyEach(const std::string& folder, bool cold, size_t& removed) {
    HeadlessPrompts prompts;
    NullProgressIndicator progress;
    NullCompareView view;
    AppSession session(prompts, progress, view);
    Document& document = session.Doc();
    {
        ScanEngine scan(document.root, &document.intake, &document.links, &document.scanChanges, nullptr);
        scan.RunAtNormalPriority();
        scan.Start({folder});
        scan.Wait();
    }
    document.CommitScan(true);
    session.CompareAllSharedSizes();
    while (session.IsComparing()) {
        session.Engine().WaitForWorkersToEnd(std::chrono::milliseconds(10));
        session.Comparing().OnCollectTimer();
    }
    std::vector<FileItem*> doomed;
    for (const FileCatalog::Entry& entry : document.catalog)
        if (entry.item->Name().ends_with('b')) doomed.push_back(entry.item);
    if (cold && !DropCaches()) return -1;
    DiskFileRemover remover;
    CleanupJournal journal(folder + ".journal");
    const auto start = std::chrono::steady_clock::now();
    DeletionReport report = RemoveDuplicates(document, doomed, remover, CleanupAction::Delete, journal, {});
    const double seconds = Seconds(start);
    removed = report.removed;
    if (!report.failures.empty()) std::fprintf(stderr, "%s\n", DescribeFailures(report.failures).c_str());
    return seconds;
}

}  // namespace
}  // namespace twinseek

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp/twsbench/removal";
    const int groups = argc > 2 ? std::atoi(argv[2]) : 16;
    const size_t mib = argc > 3 ? size_t(std::atoi(argv[3])) : 64;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 3;
    const double gigabytes = double(groups) * double(mib) * 1024 * 1024 / 1e9;
    std::printf("%d groups of two %zu MiB copies; one copy of each removed: %.2f GB per run\n", groups, mib, gigabytes);
    for (bool cold : {false, true}) {
        std::vector<double> perGigabyte;
        for (int run = 0; run < runs; ++run) {
            twinseek::MakeCopies(folder, groups, mib * 1024 * 1024);
            size_t removed = 0;
            const double seconds = twinseek::RemoveOneCopyEach(folder, cold, removed);
            if (seconds < 0) {
                std::printf("cold: skipped (dropping the page cache needs root)\n");
                break;
            }
            if (removed != size_t(groups)) std::fprintf(stderr, "only %zu of %d removed\n", removed, groups);
            perGigabyte.push_back(seconds / gigabytes);
        }
        if (perGigabyte.empty()) continue;
        std::sort(perGigabyte.begin(), perGigabyte.end());
        std::printf("%s: %.3f s per GB removed (median of %zu; %.3f to %.3f)\n", cold ? "cold" : "warm",
                    perGigabyte[perGigabyte.size() / 2], perGigabyte.size(), perGigabyte.front(), perGigabyte.back());
    }
    std::filesystem::remove_all(folder);
    std::filesystem::remove(folder + ".journal");
    return 0;
}
