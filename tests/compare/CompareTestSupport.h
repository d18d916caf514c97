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
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
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
    };
    void ProgressStart(std::string_view text, int32_t range) override { runs.push_back({std::string(text), range}); }
    void ProgressStep() override {  // steps outside a run count in a run of their own
        if (runs.empty()) runs.push_back({"", 0});
        ++runs.back().steps;
    }
    void ProgressEnd() override {}

    std::vector<Run> runs;
};

// The text colour the view's file list has for item, or -1 without one.
inline int64_t TextColorOf(const FileItem* item, const CompareView& view) {
    auto mark = item->FindColorMark(view.FileListId());
    return mark ? int64_t(mark->textColor) : -1;
}

// Polls until done() holds; false after a minute, so a hang fails rather than sticks.
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

// A record of size under the folder chain of an absolute path, filed in catalog.
inline FileItem* AddRecordAt(FolderItem* root, FileCatalog& catalog, const std::string& absolutePath,
                             uint64_t size) {
    const std::filesystem::path full(absolutePath);
    FolderItem* folder = root->FindOrCreateFolder(EntryNamed("/"));
    for (const auto& piece : full.parent_path().relative_path()) {
        folder = folder->FindOrCreateFolder(EntryNamed(piece.string()));
        folder->compareState = NotCompared;
    }
    FileItem* item = AddFile(folder, full.filename().string(), size);
    catalog.Insert(size, item);
    return item;
}

// A temporary folder mirrored by a catalogue: each file made here also gets a
// record under the folder chain of its path, and a size index entry.
class CatalogedDirectory : public TemporaryTree {
public:
    FileItem* AddFile(const std::string& name, std::string_view content) {
        WriteBytes(Path(name), content);
        return AddRecord(name, content.size());
    }
    // A file of size bytes that reads as zeros, made without writing them.
    FileItem* AddSparseFile(const std::string& name, uint64_t size) {
        File(name, size);
        return AddRecord(name, size);
    }
    // A record of the given size, whatever is on disk under the name.
    FileItem* AddRecord(const std::string& name, uint64_t size) { return AddRecordAt(Path(name), size); }
    FileItem* AddRecordAt(const std::string& absolutePath, uint64_t size) {
        return testing::AddRecordAt(root.get(), catalog, absolutePath, size);
    }

    FileCatalog catalog;

private:
    RootPtr root = MakeRoot();
};

// A Comparing list with its engine (and workers) over files that outlive it.
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
    // Waits until the worker has digested the file of every row.
    bool WaitAllRowsDigested() {
        const auto digested = [](const FileItem* item) { return item->compareState.load() == Digested; };
        return WaitUntil([&] { return std::ranges::all_of(Rows(), digested); });
    }
};

}  // namespace twinseek::testing
