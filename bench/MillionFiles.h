// The catalogue the benchmarks build: /photos/album-0000 to album-0999, each
// holding holiday-photo-0000.jpg to holiday-photo-0999.jpg (names of 22
// bytes), one size in four shared, every file Finished with its own digest.
#pragma once

#include "catalog/FolderItem.h"

#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <random>

namespace twinseek::bench {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 1000;
constexpr size_t kFiles = size_t(kFolders) * kFilesPerFolder;

inline size_t HeapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Builds `folders` albums under the folder path `top` (pieces from "/") and
// returns that folder; the same seed gives the same sizes, times and digests.
inline FolderItem* BuildPhotoTree(FolderItem* root, std::initializer_list<const char*> top, int folders,
                                  uint64_t seed) {
    std::mt19937_64 random(seed);
    FindData entry;
    entry.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    FolderItem* parent = root;
    for (const char* piece : top) {
        entry.SetName(piece);
        parent = parent->FindOrCreateFolder(entry);
    }
    char name[64];
    char digest[33];
    for (int folderIndex = 0; folderIndex < folders; ++folderIndex) {
        std::snprintf(name, sizeof name, "album-%04d", folderIndex);
        entry.SetName(name);
        entry.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        entry.SetSize(0);
        FolderItem* folder = parent->FindOrCreateFolder(entry);
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
    return parent;
}

// Builds the million-file tree under root and returns the "photos" folder.
inline FolderItem* BuildMillionFileTree(FolderItem* root) { return BuildPhotoTree(root, {"/", "photos"}, kFolders, 42); }

// Starts a new peak: freed heap goes back to the system and the kernel's
// high-water mark of resident memory drops to what is resident now, so the
// next PeakResidentBytes covers what happens from here on. Where the mark
// cannot be reset, the peak is that of the whole process.
inline void StartResidentPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

inline double PeakResidentBytes() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) * 1024.0;
}

inline double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace twinseek::bench
