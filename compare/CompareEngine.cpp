#include "compare/CompareEngine.h"

#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "compare/FileDigest.h"
#include "catalog/TextFormat.h"
#include "compare/Sha1Digest.h"
#include "platform/FileContentReader.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

namespace twinseek {

namespace {

ReadFailure SystemFailure(int error) { return {ReadFailure::SystemError, uint16_t(error != 0 ? error : EIO)}; }

}  // namespace

CompareEngine::CompareEngine(ComparingList& list, FinishedList& finished, DuplicateIndex& index,
                             CompareView& view, ProgressIndicator& progress)
    : list(list), finished(finished), index(index), view(view), progress(progress) {}

CompareEngine::~CompareEngine() { Stop(); }

bool CompareEngine::AddFile(FileItem* item) {
    if (item->compareState.load(std::memory_order_acquire) != NotCompared) return false;
    item->SetTextColor(view.FileListId(), kQueuedColor);
    list.queuedBytes += item->Size();
    list.queuedCount += 1;
    progress.ProgressStep();
    list.AppendJob(std::make_unique<CompareJob>(item, sameFiles ? sameFiles->FirstOf(item) : nullptr));
    return true;
}

void CompareEngine::Start() {
    JoinEndedWorkers();
    std::lock_guard lock(mutex);
    for (size_t row = 0; row < list.RowCount(); ++row) {
        CompareJob& job = list.Job(row);
        if (job.item->compareState.load(std::memory_order_relaxed) != NotCompared) continue;
        // A further path of a file is done at once: its digest is its first
        // path's, which is collected before it (an earlier row, or earlier).
        if (job.sameFileAs) {
            job.item->compareState.store(Digested, std::memory_order_release);
            continue;
        }
        job.item->compareState.store(Queued, std::memory_order_relaxed);
        jobs.push_back(&job);
    }
    // A worker decides to end under this same lock, when it finds the queue
    // empty, and leaves `workers` at once: so a worker listed here will still
    // see the jobs just queued, and an empty list means a new one is needed.
    if (!workers.empty() || jobs.empty()) return;
    for (uint32_t i = 0; i < workerCount; ++i) {
        auto self = workers.emplace(workers.end());
        try {
            *self = std::thread(&CompareEngine::WorkerLoop, this, self);
        } catch (const std::system_error&) {
            // No thread to be had now: the jobs stay queued for the next Start.
            workers.erase(self);
            break;
        }
    }
}

void CompareEngine::Stop() {
    stopEvent.Set();
    {
        // Open the pause gate, so a held worker can see the stop.
        std::lock_guard gate(pauseMutex);
        paused.store(false, std::memory_order_relaxed);
    }
    pauseChanged.notify_all();

    std::vector<std::thread> ended;
    {
        std::unique_lock lock(mutex);
        workerEnded.wait(lock, [this] { return workers.empty(); });
        ended.swap(endedWorkers);
        for (CompareJob* job : jobs) {
            int32_t expected = Queued;
            job->item->compareState.compare_exchange_strong(expected, NotCompared, std::memory_order_relaxed);
        }
        jobs.clear();
    }
    for (std::thread& worker : ended) worker.join();
    stopEvent.Reset();
}

void CompareEngine::Pause() {
    std::lock_guard gate(pauseMutex);
    paused.store(true, std::memory_order_relaxed);
}

void CompareEngine::Resume() {
    {
        std::lock_guard gate(pauseMutex);
        paused.store(false, std::memory_order_relaxed);
    }
    pauseChanged.notify_all();
}

size_t CompareEngine::RunningWorkers() const {
    std::lock_guard lock(mutex);
    return workers.size();
}

bool CompareEngine::WaitForWorkersToEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex);
    return workerEnded.wait_for(lock, timeout, [this] { return workers.empty(); });
}

void CompareEngine::JoinEndedWorkers() {
    std::vector<std::thread> ended;
    {
        std::lock_guard lock(mutex);
        ended.swap(endedWorkers);
    }
    for (std::thread& worker : ended) worker.join();
}

void CompareEngine::PassPauseGate() {
    if (!paused.load(std::memory_order_relaxed)) return;
    std::unique_lock gate(pauseMutex);
    pauseChanged.wait(gate, [this] { return !paused.load(std::memory_order_relaxed) || stopEvent.IsSet(); });
}

void CompareEngine::WorkerLoop(WorkerList::iterator self) {
    Sha1Digest digest;
    FileContentReader reader;
    alignas(64) uint8_t buffer[kReadPieceSize];
    for (;;) {
        CompareJob* job;
        {
            std::lock_guard lock(mutex);
            if (stopEvent.IsSet() || jobs.empty()) {
                // Leave `workers` under the lock that saw the queue empty, so
                // Start either sees this worker take its jobs or starts another.
                endedWorkers.push_back(std::move(*self));
                workers.erase(self);
                workerEnded.notify_all();
                return;
            }
            job = jobs.front();
            jobs.pop_front();
        }
        if (!DigestJob(*job, reader, digest, buffer)) {
            // Begun and left by a stop: back to the head of the queue, where
            // Stop makes it NotCompared.
            std::lock_guard lock(mutex);
            jobs.push_front(job);
        }
    }
}

bool CompareEngine::DigestJob(CompareJob& job, FileContentReader& reader, Sha1Digest& digest, uint8_t* buffer) {
    const uint32_t startTick = GetTickCount();
    job.bytesDone.store(0, std::memory_order_relaxed);
    job.lastTick.store(startTick, std::memory_order_relaxed);
    job.startTick.store(startTick, std::memory_order_release);
    job.failure = {};
    // Only the file the record describes is compared: one that is no longer a
    // regular file (the reader opens no other kind) or not of the catalogued
    // size has changed, and its digest would be filed under a size it lacks.
    const bool opened = reader.Open(job.item->GetFullPath().data());
    if (!opened || reader.Size() != job.item->Size()) {
        job.failure = opened ? ReadFailure{ReadFailure::SizeChanged} : SystemFailure(reader.LastError());
        reader.Close();
        FinishJob(job, kUnopenableText);
        return true;
    }
    job.stamp = reader.Stamp();
    digest.Reset();
    uint64_t done = 0;
    const ContentEnd end = DigestContent(
        reader, digest, buffer,
        [this] {
            PassPauseGate();
            return !stopEvent.IsSet();
        },
        [&](size_t bytes) {
            done += bytes;
            job.bytesDone.store(done, std::memory_order_relaxed);
            job.lastTick.store(GetTickCount(), std::memory_order_relaxed);
        });
    const int readError = reader.LastError();
    reader.Close();
    if (end == ContentEnd::Stopped) return false;
    if (end == ContentEnd::Failed) {
        // A read failed before the end: no digest to trust.
        job.failure = readError != 0 ? SystemFailure(readError) : ReadFailure{ReadFailure::CutShort};
        FinishJob(job, kUnopenableText);
        return true;
    }
    digest.Final();
    char text[kDigestTextSize];
    digest.GetBase32Text(text);
    FinishJob(job, text);
    return true;
}

void CompareEngine::FinishJob(CompareJob& job, const char* digestText) {
    FileItem& item = *job.item;
    item.SetDigestText(digestText);
    const uint32_t lastTick = GetTickCount();
    job.lastTick.store(lastTick, std::memory_order_relaxed);
    item.hashMillis = lastTick - job.startTick.load(std::memory_order_relaxed);
    // The hand-over: once Digested is seen, the row is the user interface's
    // and may be deleted, so nothing is touched after this store.
    item.compareState.store(Digested, std::memory_order_release);
}

void CompareEngine::CollectJob(const CompareJob& job) {
    FileItem* item = job.item;
    if (const FileItem* first = job.sameFileAs) {
        // Its first path was abandoned by a stop: so is this one.
        if (first->compareState.load(std::memory_order_relaxed) != Finished) {
            item->compareState.store(NotCompared, std::memory_order_relaxed);
            return;
        }
        // One file, so one digest; and no copy of itself, so in no group.
        item->SetDigestText(first->DigestText());
        item->hashMillis = 0;
    } else if (item->IsUnopenable()) {
        // A file that could not be read is no one's duplicate and stays out.
        if (fileStamps) fileStamps->Erase(item);
    } else if (index.Insert(item)) {
        if (fileStamps) fileStamps->Set(item, job.stamp);
        size_t count = index.CountOfKeyOf(item);
        if (count > 1 && !LeavesGroupAsSameFile(item, count, job.stamp.identity)) view.ShowInGroup(item, count);
    }
    uint32_t elapsed = job.lastTick.load(std::memory_order_relaxed) - job.startTick.load(std::memory_order_relaxed);
    finished.AddEntry({item, elapsed, job.failure});
    item->compareState.store(Finished, std::memory_order_relaxed);
    item->SetTextColor(view.FileListId(), kCollectedColor);
}

bool CompareEngine::LeavesGroupAsSameFile(FileItem* item, size_t count, const FileIdentity& opened) {
    if (!sameFiles) return false;
    // The file a group began with is looked up when a second one joins it.
    if (count == 2)
        sameFiles->SameFileInGroup(index.First(MakeDuplicateKey(item->Size(), item->digestText).CStr()), IdentityOnDisk);
    // The file just read is the one its worker opened; an earlier one it seems
    // to share an inode with is looked at again on the disk.
    FileItem* same = sameFiles->SameFileInGroup(item, [&](const FileItem& file) {
        return &file == item ? std::optional<FileIdentity>(opened) : IdentityOnDisk(file);
    });
    if (!same) return false;
    index.Remove(item);
    sameFiles->Add(item, same);
    return true;
}

void CompareEngine::CollectFinished() {
    JoinEndedWorkers();
    if (list.RowCount() == 0) return;
    // Collect the digested rows at the head, then take them off in one step.
    size_t collected = 0;
    while (collected < list.RowCount() &&
           list.Job(collected).item->compareState.load(std::memory_order_acquire) == Digested)
        CollectJob(list.Job(collected++));
    list.RemoveHeadRows(collected);
    view.Repaint(kRepaintFinishedList | kRepaintComparingList | kRepaintResultFileList |
                 (collected != 0 ? uint32_t(kRepaintFileList) : 0u));
}

void CompareEngine::CancelAll() {
    progress.ProgressStart("Stop...", int32_t(list.RowCount()));
    Stop();
    CollectFinished();
    // With one worker nothing digested is left below the head; with several, a
    // row may have been finished while one above it was abandoned. Keep it.
    for (size_t row = 0; row < list.RowCount(); ++row) {
        const CompareJob& job = list.Job(row);
        if (job.item->compareState.load(std::memory_order_acquire) == Digested) CollectJob(job);
    }
    for (size_t row = list.RowCount(); row-- > 0;) {
        FileItem* item = list.Job(row).item;
        int32_t state = item->compareState.load(std::memory_order_relaxed);
        if (state == NotCompared || state == Queued) {
            item->compareState.store(NotCompared, std::memory_order_relaxed);
            item->SetTextColor(view.FileListId(), kCancelledColor);
            list.queuedBytes -= item->Size();
            list.queuedCount -= 1;
        }
        progress.ProgressStep();
    }
    list.RemoveAll();
    view.Repaint(kRepaintFileList);
    progress.ProgressEnd();
}

}  // namespace twinseek
