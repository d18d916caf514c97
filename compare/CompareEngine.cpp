#include "compare/CompareEngine.h"

#include "compare/ComparingList.h"
#include "compare/FinishedList.h"
#include "compare/ReadAheadQueue.h"
#include "catalog/TextFormat.h"
#include "compare/Sha1Digest.h"
#include "platform/FileContentReader.h"
#include "platform/TickCount.h"

#include <algorithm>
#include <memory>
#include <system_error>

namespace twinseek {

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
    for (;;) {
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
        }
        RunReadAhead(digest);
    }
}

void CompareEngine::RunReadAhead(Sha1Digest& digest) {
    ReadAheadQueue queue(kReadAheadBuffers, kReadAheadChunkSize);
    CompareJob* abandonedByReader = nullptr;
    std::thread reader;
    try {
        reader = std::thread(&CompareEngine::ReadJobs, this, std::ref(queue), std::ref(abandonedByReader));
    } catch (const std::system_error&) {
        // No second thread to be had: read here, then digest what was read.
        ReadJobs(queue, abandonedByReader);
    }

    // Jobs begun and not finished because of a stop, in the order begun: they
    // go back to the head of the queue, where Stop makes them NotCompared.
    std::vector<CompareJob*> unfinished;
    auto keepUnfinished = [&unfinished](CompareJob* job) {
        if (job != nullptr && (unfinished.empty() || unfinished.back() != job)) unfinished.push_back(job);
    };
    CompareJob* current = nullptr;  // the job whose content is being digested
    uint64_t done = 0;
    while (const ReadChunk* chunk = queue.Pop()) {
        if (stopEvent.IsSet()) {
            // Stopping: drain what was read, finishing nothing.
            keepUnfinished(current);
            current = nullptr;
            keepUnfinished(chunk->job);
            queue.Release();
            continue;
        }
        if (chunk->job != current) {
            current = chunk->job;
            done = 0;
            digest.Reset();
        }
        if (chunk->kind == ReadChunk::Kind::Data) DigestChunk(*chunk, digest, done);
        const bool ended = chunk->kind == ReadChunk::Kind::End || chunk->endsFile;
        if (chunk->kind == ReadChunk::Kind::Failed) {
            // Not opened, or a read failed before the end: no digest to trust.
            FinishJob(*current, kUnopenableText);
            current = nullptr;
        } else if (ended && !stopEvent.IsSet()) {
            digest.Final();
            char text[kDigestTextSize];
            digest.GetBase32Text(text);
            FinishJob(*current, text);
            current = nullptr;
        }
        queue.Release();
    }
    if (reader.joinable()) reader.join();

    keepUnfinished(current);
    keepUnfinished(abandonedByReader);
    if (!unfinished.empty()) {
        std::lock_guard lock(mutex);
        jobs.insert(jobs.begin(), unfinished.begin(), unfinished.end());
    }
}

void CompareEngine::ReadJobs(ReadAheadQueue& queue, CompareJob*& abandoned) {
    FileContentReader reader;
    for (;;) {
        CompareJob* job;
        {
            std::lock_guard lock(mutex);
            if (stopEvent.IsSet() || jobs.empty()) break;
            job = jobs.front();
            jobs.pop_front();
        }
        const uint32_t startTick = GetTickCount();
        job->bytesDone.store(0, std::memory_order_relaxed);
        job->lastTick.store(startTick, std::memory_order_relaxed);
        job->startTick.store(startTick, std::memory_order_release);

        // Only the file the record describes is compared: one that is no
        // longer a regular file (the reader opens no other kind) or is not of
        // the size catalogued has changed, and its digest would be filed under
        // a size it does not have.
        const uint64_t size = job->item->Size();
        if (!reader.Open(job->item->GetFullPath().data()) || reader.Size() != size) {
            reader.Close();
            queue.AcquireBuffer();
            queue.Push({job, ReadChunk::Kind::Failed});
            continue;
        }
        // Exactly the size read, so the last piece needs no further read to
        // find the end; a file that ends sooner has changed while being read.
        uint64_t done = 0;
        for (;;) {
            PassPauseGate();
            if (stopEvent.IsSet()) {
                abandoned = job;
                break;
            }
            uint8_t* buffer = queue.AcquireBuffer();
            if (done == size) {
                queue.Push({job, ReadChunk::Kind::End});
                break;
            }
            FileContentReader::ReadResult result =
                reader.Read(buffer, size_t(std::min<uint64_t>(queue.BufferSize(), size - done)));
            if (result.status != FileContentReader::ReadStatus::Data) {
                queue.Push({job, ReadChunk::Kind::Failed});
                break;
            }
            done += result.bytes;
            const bool last = done == size;
            queue.Push({job, ReadChunk::Kind::Data, last, buffer, result.bytes});
            if (last) break;
        }
        reader.Close();
        if (abandoned != nullptr) break;
    }
    queue.FinishReading();
}

void CompareEngine::DigestChunk(const ReadChunk& chunk, Sha1Digest& digest, uint64_t& done) {
    CompareJob& job = *chunk.job;
    for (size_t offset = 0; offset < chunk.bytes; offset += kDigestPieceSize) {
        PassPauseGate();
        if (stopEvent.IsSet()) return;
        size_t piece = std::min(kDigestPieceSize, chunk.bytes - offset);
        digest.Update(chunk.data + offset, uint32_t(piece));
        done += piece;
        job.bytesDone.store(done, std::memory_order_relaxed);
    }
    job.lastTick.store(GetTickCount(), std::memory_order_relaxed);
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
    } else if (index.Insert(item)) {
        // A file that could not be read is no one's duplicate and stays out.
        size_t count = index.CountOfKeyOf(item);
        if (count > 1 && !LeavesGroupAsSameFile(item, count)) view.ShowInGroup(item, count);
    }
    uint32_t elapsed = job.lastTick.load(std::memory_order_relaxed) - job.startTick.load(std::memory_order_relaxed);
    finished.AddEntry({item, elapsed});
    item->compareState.store(Finished, std::memory_order_relaxed);
    item->SetTextColor(view.FileListId(), kCollectedColor);
}

bool CompareEngine::LeavesGroupAsSameFile(FileItem* item, size_t count) {
    if (!sameFiles) return false;
    // The file a group began with is looked up when a second one joins it.
    if (count == 2)
        sameFiles->SameFileInGroup(index.First(MakeDuplicateKey(item->Size(), item->digestText).CStr()), IdentityOnDisk);
    FileItem* same = sameFiles->SameFileInGroup(item, IdentityOnDisk);
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
