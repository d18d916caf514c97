// Walks the folders chosen for a scan on a background thread of idle priority,
// files every entry it meets into the catalogue as a provisional record, and
// reports each folder it enters to a MessageTarget.
#pragma once

#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"
#include "platform/FindData.h"
#include "platform/ManualResetEvent.h"
#include "scan/MessageTarget.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace twinseek {

// While a walk runs, its thread is the only writer of the folder tree under root
// and of intake: the owner touches neither until PostScanDone has arrived or
// Wait has returned. Only FilesFound and FoldersEntered may be read meanwhile.
class ScanEngine {
public:
    // Records are filed under root; every file new to the tree also goes into
    // intake under its size. target receives the progress; it may be null.
    ScanEngine(FolderItem* root, FileCatalog* intake, MessageTarget* target);
    ScanEngine(const ScanEngine&) = delete;
    ScanEngine& operator=(const ScanEngine&) = delete;
    // Stops the walk and waits for its thread to end.
    ~ScanEngine();

    // Starts walking roots, in list order, on a new thread. Relative roots are
    // taken against the working directory now. Once per engine: false when
    // already started, or when no thread could be made (then nothing is posted).
    bool Start(const std::vector<std::string>& roots);
    // The walk yields to every other thread unless told before Start to run
    // at normal priority, as a front end with nothing else to do wants.
    void RunAtNormalPriority() { idlePriority = false; }
    // Asks the walk to end after the entry in hand; returns at once.
    void Stop();
    // Waits until the walk has ended; returns at once when it never started.
    void Wait();

    // Entries in intake (empty when the scan starts); safe to read while the walk runs.
    size_t FilesFound() const { return intake->Count(); }
    // Folders entered so far (each one announced by a status message).
    uint32_t FoldersEntered() const { return foldersEntered.load(std::memory_order_relaxed); }

private:
    void Walk();
    void WalkRoots();
    // The folder record of an absolute root path, made along with the records of
    // its ancestors when missing; null when a piece is too long for a name.
    FolderItem* PositionOnRoot(const std::string& path);
    void AddFile(FolderItem* folder, const FindData& entry);
    void PostStatus(std::string text) noexcept;
    void PostDone() noexcept;

    FolderItem* root;
    FileCatalog* intake;
    MessageTarget* target;
    ManualResetEvent stopEvent;
    bool idlePriority = true;
    // Roots not yet walked, taken from the back.
    std::deque<std::string> roots;
    std::thread thread;
    bool started = false;
    std::atomic<uint32_t> foldersEntered{0};
};

}  // namespace twinseek
