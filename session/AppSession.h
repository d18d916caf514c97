// The application's model that both front ends drive: the document, the
// Comparing and Finished lists with the engine they own, and the work that
// spans them: starting a comparison, opening and saving, progress totals.
#pragma once

#include "compare/CompareView.h"
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "compare/ProgressIndicator.h"
#include "document/Document.h"
#include "document/DocumentPrompts.h"

#include <cstdint>
#include <span>
#include <string>

namespace twinseek {

class FileItem;

// Bytes and files queued for comparison and finished, and the bytes read so
// far of the files still in the Comparing list.
struct CompareTotals {
    uint64_t queuedBytes = 0;
    uint64_t queuedCount = 0;
    uint64_t finishedBytes = 0;
    uint64_t finishedCount = 0;
    uint64_t bytesInProgress = 0;
};

class AppSession {
public:
    // prompts, progress and view must outlive the session.
    AppSession(DocumentPrompts& prompts, ProgressIndicator& progress, CompareView& view);
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;
    ~AppSession();

    Document& Doc() { return document; }
    const Document& Doc() const { return document; }
    ComparingList& Comparing() { return comparing; }
    const ComparingList& Comparing() const { return comparing; }
    FinishedList& Finished() { return finished; }
    const FinishedList& Finished() const { return finished; }
    CompareEngine& Engine() { return comparing.Engine(); }

    // A comparison is in progress exactly while the Comparing list has rows.
    bool IsComparing() const { return comparing.RowCount() != 0; }
    bool IsPaused() const { return comparing.Engine().IsPaused(); }

    // The compare command: queues files in the given order under the progress
    // "Initialize...", marks the document modified and starts the engine.
    // True when a file was queued.
    bool CompareFiles(std::span<FileItem* const> files);
    // After a scan: the shared-size files of categories 1 to 7 named in ids.
    bool CompareCategories(std::span<const uint32_t> ids);
    // Every catalogued file whose size another file shares.
    bool CompareAllSharedSizes();

    // Pause or resume, whichever the engine is not.
    void TogglePause();
    // The stop command: keep what is digested, return the rest to not compared.
    void StopComparison() { comparing.Engine().CancelAll(); }

    // Drops the catalogue and loads the document at path.
    bool OpenFile(const std::string& path, Document::SameFileCheck check = Document::SameFileCheck::OnLoad);
    // Writes the catalogue to path (made absolute) whether or not it changed;
    // on success the document is stored there.
    bool SaveTo(const std::string& path);

    CompareTotals Totals() const;

private:
    Document document;
    FinishedList finished;
    ComparingList comparing;
};

}  // namespace twinseek
