// Benchmark catalogues of duplicate groups: finished files of random sizes,
// each group sharing one digest, in folders of 1000.
#pragma once

#include "catalog/FolderItem.h"
#include "platform/FindData.h"

#include <cstdio>
#include <random>
#include <vector>

namespace twinseek {

// Finished files in folders of 1000 under root/name: every group copies files
// of one size and one digest; sizes are random. Returns them folder by folder.
inline std::vector<FileItem*> MakeGroups(FolderItem* root, const char* name, size_t groups, size_t copies,
                                  std::mt19937_64& random) {
    FindData entry;
    entry.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    entry.SetName(name);
    FolderItem* top = root->FindOrCreateFolder(entry);
    std::vector<FileItem*> files;
    files.reserve(groups * copies);
    FolderItem* folder = nullptr;
    char text[64];
    char digest[33] = {};
    for (size_t group = 0; group < groups; ++group) {
        uint64_t size = random() % 50000000 + 1;
        for (int i = 0; i < 32; ++i) digest[i] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567"[random() % 32];
        for (size_t copy = 0; copy < copies; ++copy) {
            if (files.size() % 1000 == 0) {
                std::snprintf(text, sizeof text, "folder-%05zu", files.size() / 1000);
                entry.SetName(text);
                entry.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
                entry.SetSize(0);
                folder = top->FindOrCreateFolder(entry);
            }
            std::snprintf(text, sizeof text, "copy-%07zu.jpg", files.size());
            entry.SetName(text);
            entry.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
            entry.SetSize(size);
            bool created = false;
            FileItem* file = folder->FindOrCreateFile(entry, created);
            file->SetDigestText(digest);
            file->compareState = Finished;
            files.push_back(file);
        }
    }
    root->Prune(true);
    return files;
}

}  // namespace twinseek
