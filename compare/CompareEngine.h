// Reads the files of the Comparing list on background workers, digests their
// content and, on the user interface thread, moves finished files into the
// duplicate index and the Finished list.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "catalog/FileItem.h"
#include "catalog/FileStamps.h"
#include "catalog/SameFileLinks.h"
#include "compare/CompareJob.h"
#include "compare/CompareView.h"
#include "compare/ProgressIndicator.h"
#include "platform/FileContentReader.h"
#include "platform/ManualResetEvent.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace twinseek {

class ComparingList;
class FinishedList;
class Sha1Digest;

// Row text colours of the file list, 0x00BBGGRR.
constexpr uint32_t kQueuedColor = 0x0000FF;
constexpr uint32_t kCollectedColor = 0xFF0000;
constexpr uint32_t kCancelledColor = 0x000000;

class CompareEngine {
public:
    // The engine belongs to list; the other parts must outlive it, and so must
    // every file handed to AddFile.
    CompareEngine(ComparingList& list, FinishedList& finished, DuplicateIndex& index, CompareView& view,
                  ProgressIndicator& progress);
    CompareEngine(const CompareEngine&) = delete;
    CompareEngine& operator=(const CompareEngine&) = delete;
    // Stops and joins every worker.
    ~CompareEngine();

    // Everything below runs on the user interface thread.

    // A NotCompared file gets a row (painted red, counted in the totals, one
    // progress step); any other file is left alone. The state is not changed.
    // True when a row was added.
    bool AddFile(FileItem* item);
    // Queues every NotCompared row, first to last, and starts workers unless
    // some are running already.
    void Start();
    // Ends every worker (a file being read is abandoned within one read) and
    // returns the files still queued to NotCompared. Also ends a pause.
    void Stop();
    // Holds the workers before their next read; Resume lets them continue the
    // same read. Workers started while paused are held too.
    void Pause();
    void Resume();
    bool IsPaused() const { return paused.load(std::memory_order_relaxed); }
    // Moves the digested files at the head of the Comparing list into the
    // duplicate index and the Finished list, up to the first one not digested.
    void CollectFinished();
    // The stop command: stop, keep what is already digested, drop the rest.
    void CancelAll();

    // The further paths of files (hard links) among the files handed to
    // AddFile: such a path is not read but finished with its first path's
    // digest, and is no one's duplicate. A file that joins a group of which a
    // file is the same file on disk (a path no scan linked) leaves the group
    // and is recorded there as its further path. links must outlive the
    // engine; null (the default) for neither.
    void SetSameFileLinks(SameFileLinks* links) { sameFiles = links; }
    SameFileLinks* SameFiles() const { return sameFiles; }
    // Where each file collected with a digest is stamped as its worker opened
    // it, and a file that could not be read loses its stamp; null for nowhere.
    void SetFileStamps(FileStamps* stamps) { fileStamps = stamps; }

    // Workers that Start creates; from 1 up, 1 by default. Collection order is
    // the row order whatever the count.
    void SetWorkerCount(uint32_t count) { workerCount = count == 0 ? 1 : count; }
    uint32_t WorkerCount() const { return workerCount; }
    // Workers now running.
    size_t RunningWorkers() const;
    // Waits up to timeout for every worker to end; true when none is running.
    bool WaitForWorkersToEnd(std::chrono::milliseconds timeout);

    CompareView& View() { return view; }
    ProgressIndicator& Progress() { return progress; }

private:
    using WorkerList = std::list<std::thread>;

    void WorkerLoop(WorkerList::iterator self);
    // Reads and digests the job's file, testing for a pause or a stop before
    // each read; false when a stop left it unfinished.
    bool DigestJob(CompareJob& job, FileContentReader& reader, Sha1Digest& digest, uint8_t* buffer);
    // Writes the outcome of a job into its file; Digested last.
    void FinishJob(CompareJob& job, const char* digestText);
    // Blocks while paused; a stop opens it.
    void PassPauseGate();
    // Files a Digested row's file and adds it to the Finished list.
    void CollectJob(const CompareJob& job);
    // True when item, just filed in a group of count files, is the same file
    // on disk as one of them: it then leaves the index as that file's path.
    bool LeavesGroupAsSameFile(FileItem* item, size_t count, const FileIdentity& opened);
    void JoinEndedWorkers();

    ComparingList& list;
    FinishedList& finished;
    DuplicateIndex& index;
    CompareView& view;
    ProgressIndicator& progress;

    uint32_t workerCount = 1;
    SameFileLinks* sameFiles = nullptr;
    FileStamps* fileStamps = nullptr;
    ManualResetEvent stopEvent;

    // Guards jobs, workers and endedWorkers. On a cache line of its own: a
    // worker takes it for every file, and reads the stop and pause flags for
    // every piece.
    alignas(64) mutable std::mutex mutex;
    std::deque<CompareJob*> jobs;
    WorkerList workers;
    // Workers that have ended but are not joined yet.
    std::vector<std::thread> endedWorkers;
    std::condition_variable workerEnded;

    alignas(64) std::atomic<bool> paused{false};
    std::mutex pauseMutex;
    std::condition_variable pauseChanged;
};

}  // namespace twinseek
