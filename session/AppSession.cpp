#include "session/AppSession.h"

#include "compare/CandidateQueueing.h"
#include "platform/FullPath.h"

namespace twinseek {

AppSession::AppSession(DocumentPrompts& prompts, ProgressIndicator& progress, CompareView& view)
    : document(prompts, &progress), comparing(finished, document.duplicates, view, progress) {
    comparing.Engine().SetSameFileLinks(&document.links);
    comparing.Engine().SetFileStamps(&document.stamps);
    document.onFilesDiscarded = [this](const std::function<bool(const FileItem*)>& gone) {
        finished.RemoveEntriesOf(gone);
    };
    document.onFinishedLoaded = [this](FileItem* item, uint32_t elapsedMillis) {
        finished.AddLoadedEntry(FinishedEntry{item, elapsedMillis});
    };
    // The lists let go of every record before the document deletes them.
    document.onCatalogCleared = [this] {
        comparing.Engine().CancelAll();
        finished.RemoveAll();
    };
}

// The Comparing list, declared last, goes first: its engine joins the workers
// before the records they read are deleted with the document.
AppSession::~AppSession() = default;

bool AppSession::CompareFiles(std::span<FileItem* const> files) {
    bool queued = QueueFiles(comparing.Engine(), files);
    document.modified = true;
    return queued;
}

bool AppSession::CompareCategories(std::span<const uint32_t> ids) {
    bool queued = QueueSizeCategories(comparing.Engine(), document.catalog, ids);
    if (queued) document.modified = true;
    return queued;
}

bool AppSession::CompareAllSharedSizes() {
    bool queued = QueueAllSharedSizes(comparing.Engine(), document.catalog);
    if (queued) document.modified = true;
    return queued;
}

void AppSession::TogglePause() {
    if (IsPaused())
        comparing.Engine().Resume();
    else
        comparing.Engine().Pause();
}

bool AppSession::OpenFile(const std::string& path, Document::SameFileCheck check) {
    return document.OpenFile(GetFullPathName(path).value_or(path), check);
}

bool AppSession::SaveTo(const std::string& path) {
    document.path = GetFullPathName(path).value_or(path);
    document.modified = true;
    return document.Store();
}

CompareTotals AppSession::Totals() const {
    return {comparing.queuedBytes, comparing.queuedCount, finished.finishedBytes, finished.finishedCount,
            comparing.BytesInProgress()};
}

}  // namespace twinseek
