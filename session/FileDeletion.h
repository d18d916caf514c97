// Cleaning up duplicates while one copy of each always stays: the ticked files
// are planned, the user is asked once about groups that would keep no copy,
// and each file is removed or replaced only after its checks (CheckedRemoval),
// journaled. Every file left alone is named with its reason.
#pragma once

#include "session/CheckedRemoval.h"
#include "session/CleanupJournal.h"
#include "session/FileRemover.h"
#include "session/RemovalPlan.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinseek {

class Document;
class FileItem;

struct DeletionFailure {
    std::string path;
    std::string reason;
};

struct DeletionReport {
    size_t removed = 0;         // files this run took off the disk
    size_t replaced = 0;        // files this run replaced by a link to or a clone of a copy that stays
    size_t discarded = 0;       // files that left the list and the document (removed, or gone already)
    size_t keptLastCopies = 0;  // files kept because every copy of their group would have gone
    bool cancelled = false;
    bool refused = false;  // a comparison was running: nothing was touched
    std::vector<DeletionFailure> failures;
    // The records whose files are no longer on disk (removed, or gone already).
    std::vector<FileItem*> gone;
    // The files kept because no copy of their group would have stayed, with that reason.
    std::vector<DeletionFailure> keptForLastCopy;
    // The records whose files this run removed, each with the copy that stays it was found equal to.
    std::vector<std::pair<FileItem*, std::string>> removedFiles;
    // The records whose files were replaced, each with the copy that stays it now shares its bytes with.
    std::vector<std::pair<FileItem*, FileItem*>> replacedBy;
    // What became of each distinct file of doomed, in its order (keptCopy
    // left null: the plan it pointed into is gone).
    std::vector<RemovalResult> results;
};

struct DeletionHooks {
    // Asked once, before anything is removed, when groups would keep no copy
    // on disk, with how many and the paths of a few of their files: true
    // removes those files too. Without it they are kept.
    std::function<bool(size_t groups, const std::vector<std::string>& someFiles)> removeLastCopies;
    // Called on the calling thread every few milliseconds while the files are
    // checked and removed on a thread of their own; false cancels the run.
    std::function<bool(size_t filesDone, size_t files, uint64_t bytesDone, uint64_t bytes)> keepGoing;
};

// Runs plan's checks and actions on a thread of its own (on the calling
// thread when none can be had), telling hooks.keepGoing of the progress; one
// result per removal of the plan. hooks.removeLastCopies is not asked.
std::vector<RemovalResult> RunRemovalPlan(const RemovalPlan& plan, FileRemover& remover, CleanupAction action,
                                          bool removeLastCopies, CleanupJournal& journal, const DeletionHooks& hooks,
                                          bool& cancelled);

// Acts on the files of doomed, in order, each only when it is still as it was
// compared and a copy of its group that stays holds the same bytes (or, for
// a removal from a group that would keep no copy, when the user allowed it).
// Touches neither the records nor the indexes: the report names what left
// the disk and what was replaced.
DeletionReport RemoveDuplicates(const Document& document, std::span<FileItem* const> doomed, FileRemover& remover,
                                CleanupAction action, CleanupJournal& journal, const DeletionHooks& hooks);

// Brings the document up to what a cleanup did: replaced files are taken as
// links of, or clones beside, their kept copies; files no longer on disk leave
// (Document::DiscardRecords); the views rebuild either way.
void ApplyCleanupToDocument(Document& document, const DeletionReport& report, CleanupAction action);

// The question asked before removing every copy of some groups.
std::string LastCopiesQuestion(size_t groups, const std::vector<std::string>& someFiles);

// The text of the one warning that names the files that could not be removed
// (or whatever couldNot says), at most maxListed of them, each with its reason.
std::string DescribeFailures(std::span<const DeletionFailure> failures, size_t maxListed = 20,
                             std::string_view couldNot = "could not be removed");

inline constexpr char kDeletionWarningTitle[] = "Warning";

}  // namespace twinseek
