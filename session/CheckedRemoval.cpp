#include "session/CheckedRemoval.h"

#include "platform/CXException.h"
#include "platform/EntryContent.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace twinseek {

namespace {

std::string SystemReason(int error) {
    std::string text = CXFileException::SystemMessage(error);
    return text.empty() ? "Error " + std::to_string(error) : text;
}

constexpr char kNoEqualCopy[] = "No copy that stays has the same contents";

}  // namespace

CheckedRemoval::CheckedRemoval(const RemovalPlan& plan, FileRemover& remover, RemovalMode mode,
                               bool removeLastCopies)
    : plan(plan), remover(remover), mode(mode), removeLastCopies(removeLastCopies),
      results(plan.Removals().size()) {}

CheckedRemoval::~CheckedRemoval() {
    Cancel();
    if (thread.joinable()) thread.join();
}

bool CheckedRemoval::Start() {
    try {
        thread = std::thread(&CheckedRemoval::Run, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool CheckedRemoval::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    if (!ended.wait_for(lock, timeout, [this] { return finished; })) return false;
    lock.unlock();
    if (thread.joinable()) thread.join();
    return true;
}

uint64_t CheckedRemoval::BytesDone() const {
    return completedBytes.load(std::memory_order_relaxed) +
           std::min(currentBytes.load(std::memory_order_relaxed), currentSize.load(std::memory_order_relaxed));
}

void CheckedRemoval::Run() {
    const std::vector<RemovalPlan::Removal>& removals = plan.Removals();
    for (size_t index = 0; index < removals.size() && !stop.load(std::memory_order_relaxed); ++index) {
        currentSize.store(removals[index].file.size, std::memory_order_relaxed);
        Check(removals[index], results[index]);
        // Progress counts each file's bytes once, however much of it was read.
        completedBytes.fetch_add(removals[index].file.size, std::memory_order_relaxed);
        currentBytes.store(0, std::memory_order_relaxed);
        filesDone.fetch_add(1, std::memory_order_relaxed);
    }
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    ended.notify_all();
}

void CheckedRemoval::Check(const RemovalPlan::Removal& removal, RemovalResult& result) {
    const CheckedFile& file = removal.file;
    const RemovalPlan::Group& group = plan.Groups()[removal.group];
    result.outcome = RemovalOutcome::Refused;
    if (group.keepsNoCopy && !removeLastCopies) {
        result.outcome = RemovalOutcome::KeptLastCopy;
        return;
    }
    FolderOpening folder;
    const FileLook look = LookAtFile(file, folder);
    if (look.condition == FileCondition::Gone) {
        result.outcome = RemovalOutcome::Gone;
        return;
    }
    if (look.condition != FileCondition::AsRecorded) {
        result.reason = look.reason;
        return;
    }
    if (!group.keepsNoCopy) {
        UniqueFd content;
        if (int error = OpenEntryForReading(folder.folder.Get(), file.where.name, look.entry.stamp.identity, content)) {
            result.reason = error == ESTALE ? "Modified since it was compared" : SystemReason(error);
            return;
        }
        if (!FindEqualCopy(group, file, look.entry.stamp, content.Get(), result)) return;
    }
    // The last moment a cancel can keep the file.
    if (stop.load(std::memory_order_relaxed)) {
        result.outcome = RemovalOutcome::NotReached;
        return;
    }
    const RemoverOutcome removed =
        remover.Remove(folder.folder.Get(), file.where.name, file.path, look.entry.stamp.identity, mode);
    if (removed.error != 0) {
        result.reason = removed.reason.empty() ? SystemReason(removed.error) : removed.reason;
        return;
    }
    result.outcome = RemovalOutcome::Removed;
}

bool CheckedRemoval::FindEqualCopy(const RemovalPlan::Group& group, const CheckedFile& file, const DiskStamp& stamp,
                                   int content, RemovalResult& result) {
    std::string sameFile;
    for (const CheckedFile& copy : group.keptCopies) {
        FolderOpening folder;
        const FileLook look = LookAtFile(copy, folder);
        // Only bytes decide; a copy touched since it was compared still counts
        // when it holds the same bytes.
        if (look.entry.state != PathState::Present || !look.entry.IsRegularFile() ||
            look.entry.stamp.size != file.size)
            continue;
        if (look.entry.stamp.identity == stamp.identity) {
            if (sameFile.empty()) sameFile = copy.path;
            continue;
        }
        UniqueFd kept;
        if (OpenEntryForReading(folder.folder.Get(), copy.where.name, look.entry.stamp.identity, kept) != 0) continue;
        const ContentComparison comparison = CompareContents(content, kept.Get(), file.size, currentBytes, stop);
        switch (comparison.match) {
        case ContentMatch::Same: result.checkedAgainst = copy.path; return true;
        case ContentMatch::Different: continue;
        case ContentMatch::Stopped: result.outcome = RemovalOutcome::NotReached; return false;
        case ContentMatch::Failed:
            // The file itself cannot be read through: no other copy helps.
            if (comparison.firstFailed) {
                result.reason = "Could not be read: " + SystemReason(comparison.error);
                return false;
            }
            continue;
        }
    }
    result.reason = sameFile.empty() ? kNoEqualCopy : "Same file on disk as " + sameFile + ", which is kept";
    return false;
}

}  // namespace twinseek
