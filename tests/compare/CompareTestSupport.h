// Test doubles and real temporary files for compare engine tests.
#pragma once

#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"
#include "compare/CompareView.h"
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "compare/ProgressIndicator.h"
#include "compare/Sha1Digest.h"
#include "tests/catalog/CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace twinseek::testing {

// Records what the engine asks of the windows.
class RecordingCompareView final : public CompareView {
public:
    ListId FileListId() const override { return &fileList; }
    void Repaint(uint32_t lists) override { repaints.push_back(lists); }
    void ShowInGroup(FileItem* item, size_t count) override { shown.emplace_back(item, count); }

    std::vector<uint32_t> repaints;
    std::vector<std::pair<FileItem*, size_t>> shown;

private:
    int fileList = 0;
};

// Records the status-bar progress calls.
class RecordingProgress final : public ProgressIndicator {
public:
    struct Run {
        std::string text;
        int32_t range;
        int steps = 0;
        bool ended = false;
    };
    void ProgressStart(std::string_view text, int32_t range) override { runs.push_back({std::string(text), range}); }
    void ProgressStep() override {  // steps outside a run count in a run of their own
        if (runs.empty()) runs.push_back({"", 0});
        ++runs.back().steps;
    }
    void ProgressEnd() override { runs.back().ended = true; }

    std::vector<Run> runs;
};

// The text colour the view's file list has for item, or -1 without one.
inline int64_t TextColorOf(const FileItem* item, const CompareView& view) {
    auto mark = item->FindColorMark(view.FileListId());
    return mark ? int64_t(mark->textColor) : -1;
}

// Polls until done() holds; false after a generous limit, so a hang shows as a
// failure rather than a stuck run.
inline bool WaitUntil(const std::function<bool()>& done) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

inline std::string DigestTextOf(std::string_view content) {
    Sha1Digest digest;
    digest.Update(content.data(), uint32_t(content.size()));
    digest.Final();
    return digest.GetBase32Text(false);
}

// Deterministic pseudo-random bytes: equal seeds make duplicates.
inline std::string RandomContent(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string content(size, '\0');
    for (char& c : content) c = char(random());
    return content;
}

// A temporary directory on disk mirrored by a catalogue: every file made here
// also gets a record under the folder chain of its path and a size index entry.
class CatalogedDirectory {
public:
    CatalogedDirectory() {
        char pattern[] = "/tmp/twinseek-compare-XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        path = std::filesystem::canonical(pattern).string();
        folder = FolderChain(path);
    }
    ~CatalogedDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
        delete root;
    }
    // The record of a file with this content, written to disk.
    FileItem* AddFile(const std::string& name, std::string_view content) {
        WriteFile(name, content);
        return AddRecord(name, content.size());
    }
    // A file of size bytes that reads as zeros, made without writing them.
    FileItem* AddSparseFile(const std::string& name, uint64_t size) {
        WriteFile(name, "");
        std::filesystem::resize_file(PathOf(name), size);
        return AddRecord(name, size);
    }
    // A record of the given size, whatever is on disk under the name.
    FileItem* AddRecord(const std::string& name, uint64_t size) { return AddRecordIn(folder, name, size); }
    // A record for an absolute path outside the directory.
    FileItem* AddRecordAt(const std::string& absolutePath, uint64_t size) {
        std::filesystem::path full(absolutePath);
        return AddRecordIn(FolderChain(full.parent_path().string()), full.filename().string(), size);
    }
    void WriteFile(const std::string& name, std::string_view content) {
        std::ofstream(PathOf(name), std::ios::binary | std::ios::trunc) << content;
    }
    std::string PathOf(const std::string& name) const { return path + "/" + name; }

    FileCatalog catalog;

private:
    FolderItem* FolderChain(const std::string& absolute) {
        FolderItem* at = root->FindOrCreateFolder(EntryNamed("/"));
        for (const auto& piece : std::filesystem::path(absolute).relative_path()) {
            at = at->FindOrCreateFolder(EntryNamed(piece.string()));
            at->compareState = NotCompared;
        }
        return at;
    }
    FileItem* AddRecordIn(FolderItem* parent, const std::string& name, uint64_t size) {
        FileItem* item = testing::AddFile(parent, name, size);
        catalog.Insert(size, item);
        return item;
    }

    FolderItem* root = FolderItem::CreateRoot();
    FolderItem* folder = nullptr;
    std::string path;
};

// A Comparing list with its engine over files in a temporary folder. The
// files outlive the lists, which own the engine and its workers.
class CompareFixture : public ::testing::Test {
protected:
    CatalogedDirectory files;
    DuplicateIndex index;
    FinishedList finished;
    RecordingCompareView view;
    RecordingProgress progress;
    ComparingList comparing{finished, index, view, progress};
    CompareEngine& engine = comparing.Engine();

    // The files of the Comparing list's rows, in row order.
    std::vector<FileItem*> Rows() const {
        std::vector<FileItem*> rows;
        for (size_t row = 0; row < comparing.RowCount(); ++row) rows.push_back(comparing.Job(row).item);
        return rows;
    }
};

}  // namespace twinseek::testing
