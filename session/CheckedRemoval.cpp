#include "session/CheckedRemoval.h"

#include "catalog/FileItem.h"
#include "compare/FileDigest.h"
#include "platform/CXException.h"
#include "platform/EntryContent.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

namespace twinseek {

namespace {

std::string SystemReason(int error) {
    std::string text = CXFileException::SystemMessage(error);
    return text.empty() ? "Error " + std::to_string(error) : text;
}

constexpr char kNoEqualCopy[] = "No copy that stays has the same contents";

}  // namespace

CheckedRemoval::CheckedRemoval(const RemovalPlan& plan, FileRemover& remover, CleanupAction action,
                               bool removeLastCopies, CleanupJournal& journal)
    : plan(plan), remover(remover), action(action), removeLastCopies(removeLastCopies), journal(journal),
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
    journalError = journal.StartRun(action, removals.size());
    for (size_t index = 0; index < removals.size() && !stop.load(std::memory_order_relaxed); ++index) {
        currentSize.store(removals[index].file.size, std::memory_order_relaxed);
        Check(removals[index], results[index]);
        // Progress counts each file's bytes once, however much of it was read.
        completedBytes.fetch_add(removals[index].file.size, std::memory_order_relaxed);
        currentBytes.store(0, std::memory_order_relaxed);
        filesDone.fetch_add(1, std::memory_order_relaxed);
    }
    if (journalError == 0) {
        const size_t done = size_t(std::count_if(results.begin(), results.end(), [](const RemovalResult& result) {
            return result.outcome == RemovalOutcome::Removed || result.outcome == RemovalOutcome::Replaced;
        }));
        journal.EndRun(done);
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
    const bool withoutCopy = RemovesFile(action) && group.keepsNoCopy;
    FolderOpening folder;
    const FileLook look = LookAtFile(file, folder);
    if (withoutCopy && !removeLastCopies) {
        // Another machine's file is refused for that first: its copies are not the question.
        if (look.condition == FileCondition::NotOnThisComputer)
            result.reason = look.reason;
        else
            result.outcome = RemovalOutcome::KeptLastCopy;
        return;
    }
    if (look.condition == FileCondition::Gone) {
        result.outcome = RemovalOutcome::Gone;
        return;
    }
    if (look.condition != FileCondition::AsRecorded) {
        result.reason = look.reason;
        return;
    }
    const CheckedEntry entry{folder.folder.Get(), file.where.name, file.path, look.entry.stamp.identity};
    std::optional<CheckedEntry> kept;
    UniqueFd keptFolder;
    if (!withoutCopy) {
        UniqueFd content;
        if (int error = OpenEntryForReading(entry.folder, entry.name, entry.identity, content)) {
            result.reason = error == ESTALE ? "Modified since it was compared" : SystemReason(error);
            return;
        }
        const CheckedFile* elsewhere = nullptr;
        kept = FindEqualCopy(group, file, look.entry.stamp, content.Get(), result, keptFolder, elsewhere);
        if (!kept && !(elsewhere && DigestStandsForCopy(std::move(content), file, *elsewhere, result))) return;
    }
    Act(entry, kept, result);
}

void CheckedRemoval::Act(const CheckedEntry& file, const std::optional<CheckedEntry>& kept, RemovalResult& result) {
    // The last moment a cancel can keep the file.
    if (stop.load(std::memory_order_relaxed)) {
        result.outcome = RemovalOutcome::NotReached;
        return;
    }
    std::optional<FileMetadata> metadata;
    if (!RemovesFile(action)) {
        metadata.emplace();
        if (ReplacementOutcome read = ReadMetadata({file.folder, file.name, file.identity}, *metadata); read.error) {
            result.reason = SystemReason(read.error);
            return;
        }
    }
    // Nothing is done that the journal does not hold first.
    if (journalError == 0)
        journalError = journal.Begin(file.path, result.checkedAgainst, metadata ? &*metadata : nullptr);
    if (journalError != 0) {
        result.reason = "The cleanup journal " + journal.Path() + " cannot be written: " + SystemReason(journalError);
        return;
    }
    const RemoverOutcome outcome =
        RemovesFile(action) ? remover.Remove(file, action) : remover.Replace(file, *kept, action);
    if (outcome.error != 0) {
        result.reason = outcome.reason.empty() ? SystemReason(outcome.error) : outcome.reason;
        journal.Failed(file.path, result.reason);
        return;
    }
    journal.Done(file.path, outcome.trashFolder, outcome.trashName);
    result.outcome = RemovesFile(action) ? RemovalOutcome::Removed : RemovalOutcome::Replaced;
}

std::optional<CheckedEntry> CheckedRemoval::FindEqualCopy(const RemovalPlan::Group& group, const CheckedFile& file,
                                                          const DiskStamp& stamp, int content, RemovalResult& result,
                                                          UniqueFd& keptFolder, const CheckedFile*& elsewhere) {
    std::string sameFile;
    const CheckedFile* notHere = nullptr;
    for (const CheckedFile& copy : group.keptCopies) {
        FolderOpening folder;
        const FileLook look = LookAtFile(copy, folder);
        if (look.condition == FileCondition::NotOnThisComputer && !notHere) notHere = &copy;
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
        case ContentMatch::Same:
            result.checkedAgainst = copy.path;
            result.keptCopy = &copy;
            keptFolder = std::move(folder.folder);
            return CheckedEntry{keptFolder.Get(), copy.where.name, copy.path, look.entry.stamp.identity};
        case ContentMatch::Different: continue;
        case ContentMatch::Stopped: result.outcome = RemovalOutcome::NotReached; return std::nullopt;
        case ContentMatch::Failed:
            // The file itself cannot be read through: no other copy helps.
            if (comparison.firstFailed) {
                result.reason = "Could not be read: " + SystemReason(comparison.error);
                return std::nullopt;
            }
            continue;
        }
    }
    result.reason = sameFile.empty() ? kNoEqualCopy : "Same file on disk as " + sameFile + ", which is kept";
    if (group.digestStandsForCopiesElsewhere && sameFile.empty()) elsewhere = notHere;
    return std::nullopt;
}

bool CheckedRemoval::DigestStandsForCopy(UniqueFd content, const CheckedFile& file, const CheckedFile& copy,
                                         RemovalResult& result) {
    if (!RemovesFile(action)) {
        result.reason = "The copy it keeps is not on this computer: a link or a clone needs it here";
        return false;
    }
    if (file.digest.size() != kDigestTextSize - 1 || copy.digest != file.digest || copy.size != file.size) {
        result.reason = "The copy it keeps is not on this computer, and the plan gives them no digest in common";
        return false;
    }
    FileContentReader reader;
    if (!reader.Adopt(std::move(content))) {
        result.reason = "Could not be read: " + SystemReason(reader.LastError());
        return false;
    }
    Sha1Digest digest;
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kReadPieceSize);
    const ContentEnd end = DigestContent(
        reader, digest, buffer.get(), [this] { return !stop.load(std::memory_order_relaxed); },
        [this](size_t bytes) { currentBytes.fetch_add(bytes, std::memory_order_relaxed); });
    if (end == ContentEnd::Stopped) {
        result.outcome = RemovalOutcome::NotReached;
        return false;
    }
    if (end == ContentEnd::Failed) {
        result.reason = "Could not be read: " + SystemReason(reader.LastError() != 0 ? reader.LastError() : EIO);
        return false;
    }
    digest.Final();
    char text[kDigestTextSize];
    digest.GetBase32Text(text);
    if (file.digest != text) {
        result.reason = "Modified since it was compared: its SHA-1 is not the one planned";
        return false;
    }
    result.reason.clear();
    result.checkedAgainst = copy.path;
    result.keptCopy = &copy;
    result.byDigest = true;
    return true;
}

}  // namespace twinseek
