// The catalogue the benchmarks build: /photos/album-0000 to album-0999, each
// holding holiday-photo-0000.jpg to holiday-photo-0999.jpg (names of 22
// bytes), one size in four shared, every file Finished with its own digest.
#pragma once

#include "catalog/FolderItem.h"

#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <random>

namespace twinseek::bench {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 1000;
constexpr size_t kFiles = size_t(kFolders) * kFilesPerFolder;

inline size_t HeapInUse() {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Builds the tree under root and returns the "photos" folder.
inline FolderItem* BuildMillionFileTree(FolderItem* root) {
    std::mt19937_64 random(42);
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
    return top;
}

}  // namespace twinseek::bench
