// Acts on the files of a removal plan on a thread of its own (removes them, or
// replaces them by links to or clones of the copy that stays), each only after
// proving a copy stays: the file is still as it was compared, and a copy of
// its group that stays is read and found equal byte for byte. Each step is
// journaled before it is taken. The caller watches the progress and may
// cancel; a cancelled run touches no further file.
#pragma once

#include "session/CleanupJournal.h"
#include "session/FileRemover.h"
#include "session/RemovalPlan.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace twinseek {

enum class RemovalOutcome {
    NotReached,    // the run was cancelled first
    Removed,       // taken off the disk by this run
    Replaced,      // now a hard link to, or a clone of, the copy that stays
    Gone,          // nothing was there any more
    Refused,       // not removed: reason says why
    KeptLastCopy,  // every copy of its group would have gone, and that was not allowed
};

struct RemovalResult {
    RemovalOutcome outcome = RemovalOutcome::NotReached;
    std::string reason;
    std::string checkedAgainst;  // the copy that stays it was found equal to
    const CheckedFile* keptCopy = nullptr;  // that copy, as the plan describes it
    // That copy is not on this computer: the file's own bytes were read and
    // found to have the digest the plan gives them both.
    bool byDigest = false;
};

class CheckedRemoval {
public:
    // plan, remover and journal must outlive the run. With removeLastCopies,
    // files of groups that keep no copy are removed after the checks of the
    // file itself; a replacement always needs an equal copy.
    CheckedRemoval(const RemovalPlan& plan, FileRemover& remover, CleanupAction action, bool removeLastCopies,
                   CleanupJournal& journal);
    CheckedRemoval(const CheckedRemoval&) = delete;
    CheckedRemoval& operator=(const CheckedRemoval&) = delete;
    // Cancels and waits.
    ~CheckedRemoval();

    // Starts the thread; false when none could be made (nothing is done then).
    bool Start();
    // Asks the run to stop before its next file or piece read; any thread may ask.
    void Cancel() { stop.store(true, std::memory_order_relaxed); }
    // Waits up to timeout for the run to end; true once it has.
    bool WaitFor(std::chrono::milliseconds timeout);
    // Runs on the calling thread instead of a thread of its own.
    void Run();

    // Progress, readable while the run goes on.
    size_t FilesDone() const { return filesDone.load(std::memory_order_relaxed); }
    uint64_t BytesDone() const;
    bool Cancelled() const { return stop.load(std::memory_order_relaxed); }

    // One result per removal of the plan, in its order; complete once the run has ended.
    const std::vector<RemovalResult>& Results() const { return results; }

private:
    void Check(const RemovalPlan::Removal& removal, RemovalResult& result);
    // A copy of group that stays, open, which holds the same bytes as the
    // file open as content; named in result. Empty when there is none; then
    // elsewhere is the first copy not on this computer, where the group's
    // digest may stand for it and no copy here was the same file.
    std::optional<CheckedEntry> FindEqualCopy(const RemovalPlan::Group& group, const CheckedFile& file,
                                              const DiskStamp& stamp, int content, RemovalResult& result,
                                              UniqueFd& keptFolder, const CheckedFile*& elsewhere);
    // Whether the file open as content still has the digest that it and copy,
    // which is not on this computer, were planned with; says why not in result.
    bool DigestStandsForCopy(UniqueFd content, const CheckedFile& file, const CheckedFile& copy,
                             RemovalResult& result);
    // Journals, acts and journals the outcome.
    void Act(const CheckedEntry& file, const std::optional<CheckedEntry>& kept, RemovalResult& result);

    const RemovalPlan& plan;
    FileRemover& remover;
    const CleanupAction action;
    const bool removeLastCopies;
    CleanupJournal& journal;
    int journalError = 0;
    std::vector<RemovalResult> results;
    std::atomic<bool> stop{false};
    std::atomic<size_t> filesDone{0};
    // Bytes of the files done, and of the file in hand read so far (of several
    // copies read against it, counted up to its size).
    std::atomic<uint64_t> completedBytes{0};
    std::atomic<uint64_t> currentBytes{0};
    std::atomic<uint64_t> currentSize{0};
    std::thread thread;
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
};

}  // namespace twinseek
