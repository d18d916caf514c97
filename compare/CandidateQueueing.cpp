#include "compare/CandidateQueueing.h"

#include "catalog/SizeCategory.h"
#include "compare/ComparingList.h"

#include <algorithm>

namespace twinseek {

namespace {

constexpr std::string_view kInitializeText = "Initialize...";

// Calls visit for every entry of range whose size more than one distinct file
// has. The range is ordered by size, so the files of one size stand together.
// Symbolic links are never opened, so they can be no one's duplicate: they
// neither make a size shared nor are visited. A further path of a file (a
// hard link, in links) is visited but does not make a size shared.
template <typename Visit>
void ForEachSharedSize(FileCatalog::EntryRange range, const SameFileLinks* links, Visit visit) {
    for (size_t first = 0; first < range.size();) {
        size_t last = first;
        size_t files = 0;
        for (; last < range.size() && range[last].size == range[first].size; ++last)
            if (!range[last].item->IsLink() && !(links && links->FirstOf(range[last].item))) ++files;
        if (files > 1)
            for (size_t i = first; i < last; ++i)
                if (!range[i].item->IsLink()) visit(range[i].item);
        first = last;
    }
}

size_t CountSharedSizes(FileCatalog::EntryRange range, const SameFileLinks* links) {
    size_t count = 0;
    ForEachSharedSize(range, links, [&](FileItem*) { ++count; });
    return count;
}

}  // namespace

bool QueueSizeCategories(CompareEngine& engine, const FileCatalog& catalog, std::span<const uint32_t> categoryIds) {
    ProgressIndicator& progress = engine.Progress();
    bool anyCategory = false;
    size_t added = 0;
    for (uint32_t id = 1; id <= 7; ++id) {
        if (std::find(categoryIds.begin(), categoryIds.end(), id) == categoryIds.end()) continue;
        anyCategory = true;
        // A whole category lies in one size range, so every file of a size
        // is counted within it.
        FileCatalog::EntryRange range = catalog.Range(id);
        progress.ProgressStart(kInitializeText, int32_t(range.size()));
        ForEachSharedSize(range, engine.SameFiles(), [&](FileItem* item) {
            if (engine.AddFile(item)) ++added;
        });
        progress.ProgressEnd();
    }
    if (!anyCategory) return false;
    engine.View().Repaint(kRepaintComparingList | kRepaintFileList);
    engine.Start();
    return added != 0;
}

bool QueueAllSharedSizes(CompareEngine& engine, const FileCatalog& catalog) {
    ProgressIndicator& progress = engine.Progress();
    FileCatalog::EntryRange all = catalog.All();
    progress.ProgressStart(kInitializeText, int32_t(CountSharedSizes(all, engine.SameFiles())));
    size_t added = 0;
    ForEachSharedSize(all, engine.SameFiles(), [&](FileItem* item) {
        if (engine.AddFile(item)) ++added;
    });
    engine.View().Repaint(kRepaintComparingList | kRepaintFileList);
    engine.Start();
    progress.ProgressEnd();
    return added != 0;
}

std::vector<FileItem*> SharedSizeFiles(const FileCatalog& catalog, const SameFileLinks* links) {
    std::vector<FileItem*> files;
    ForEachSharedSize(catalog.All(), links, [&](FileItem* item) { files.push_back(item); });
    return files;
}

std::vector<FileItem*> SharedSizeFiles(const FileCatalog& catalog, std::span<const uint32_t> categoryIds,
                                       const SameFileLinks* links) {
    std::vector<FileItem*> files;
    for (uint32_t id = 1; id <= 7; ++id)
        if (std::find(categoryIds.begin(), categoryIds.end(), id) != categoryIds.end())
            ForEachSharedSize(catalog.Range(id), links, [&](FileItem* item) { files.push_back(item); });
    return files;
}

std::vector<FileItem*> EveryDigestibleFile(const FileCatalog& catalog) {
    std::vector<FileItem*> files;
    files.reserve(catalog.Count());
    for (const FileCatalog::Entry& entry : catalog)
        if (!entry.item->IsLink()) files.push_back(entry.item);
    return files;
}

bool QueueFiles(CompareEngine& engine, std::span<FileItem* const> files) {
    ProgressIndicator& progress = engine.Progress();
    progress.ProgressStart(kInitializeText, int32_t(files.size()));
    size_t added = 0;
    for (FileItem* item : files)
        if (engine.AddFile(item)) ++added;
    engine.View().Repaint(kRepaintComparingList | kRepaintFileList);
    engine.Start();
    progress.ProgressEnd();
    return added != 0;
}

}  // namespace twinseek
