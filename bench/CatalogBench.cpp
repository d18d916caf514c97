// Builds a catalogue of one million files (folder tree, size index and
// duplicate index) and reports the time it takes and the heap bytes per file.
#include "catalog/DuplicateIndex.h"
#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <random>

namespace twinseek {
namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 1000;
constexpr double kFiles = double(kFolders) * kFilesPerFolder;

size_t HeapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BuildCatalogue(benchmark::State& state) {
    for (auto _ : state) {
        std::mt19937_64 random(42);
        size_t before = HeapInUse();
        auto start = std::chrono::steady_clock::now();
        FolderItem* root = FolderItem::CreateRoot();
        FileCatalog catalog;
        DuplicateIndex duplicates;

        FindData entry;
        entry.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        entry.SetName("/");
        FolderItem* top = root->FindOrCreateFolder(entry);
        entry.SetName("photos");
        top = top->FindOrCreateFolder(entry);
        char name[64];
        char digest[33];
        for (int folderIndex = 0; folderIndex < kFolders; ++folderIndex) {
            std::snprintf(name, sizeof name, "album-%04d", folderIndex);
            entry.SetName(name);
            entry.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
            FolderItem* folder = top->FindOrCreateFolder(entry);
            for (int fileIndex = 0; fileIndex < kFilesPerFolder; ++fileIndex) {
                // Names of 22 bytes; one size in four shared, digests all distinct.
                std::snprintf(name, sizeof name, "holiday-photo-%04d.jpg", fileIndex);
                entry.SetName(name);
                entry.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
                entry.SetSize(random() % 4 == 0 ? 4096 : random() % 50000000);
                bool created = false;
                FileItem* file = folder->FindOrCreateFile(entry, created);
                for (int i = 0; i < 32; ++i) digest[i] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"[random() % 32];
                digest[32] = '\0';
                file->SetDigestText(digest);
                file->compareState = Finished;
            }
        }
        root->Prune(true);
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
