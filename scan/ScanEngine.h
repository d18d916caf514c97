// Walks the folders chosen for a scan on a background thread of idle priority,
// files every new entry it meets into the catalogue as a provisional record,
// notes what changed of the records held before, and reports each folder it
// enters to a MessageTarget.
#pragma once

#include "catalog/FileCatalog.h"
#include "catalog/FolderItem.h"
#include "catalog/SameFileLinks.h"
#include "catalog/ScanChanges.h"
#include "platform/FileIdentity.h"
#include "platform/FindData.h"
#include "platform/ManualResetEvent.h"
#include "scan/MessageTarget.h"
#include "scan/ScanSkips.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace twinseek {

// One file on disk is catalogued once: the walk remembers the device and inode
// of what it meets (in memory, for this walk only), enters no folder twice
// (a bind mount, a second mount of one file system), and records each further
// path of a file (hard links) in links rather than as a file of its own.
//
// A record the tree held before the walk is never changed by it: what the walk
// finds of it goes to changes, for the document to apply when the scan is
// committed. A held file whose size, last-write time or kind differs from its
// record goes into intake under its new size, as a new file would; a held
// record that a folder listed to its end no longer holds is gone. A folder
// that could not be listed whole keeps what it held.
//
// While a walk runs, its thread is the only writer of the folder tree under
// root, of intake, links and changes: the owner touches none of them, nor
// Skips, until PostScanDone has arrived or Wait has returned. Only FilesFound
// and FoldersEntered may be read meanwhile.
class ScanEngine {
public:
    // Records are filed under root; every file new to the tree also goes into
    // intake under its size, and a new one that is a further path of a file
    // met before into links. target receives the progress; it may be null.
    ScanEngine(FolderItem* root, FileCatalog* intake, SameFileLinks* links, ScanChanges* changes,
               MessageTarget* target);
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

    // Entries in intake (empty when the scan starts): new and changed files;
    // safe to read while the walk runs.
    size_t FilesFound() const { return intake->Count(); }
    // Folders entered so far (each one announced by a status message).
    uint32_t FoldersEntered() const { return foldersEntered.load(std::memory_order_relaxed); }
    // What the walk passed over; complete once the walk has ended.
    const ScanSkips& Skips() const { return skips; }

private:
    struct OpenListing;

    void Walk();
    void WalkRoots();
    // Files each folder entered under its identity; false (nothing recorded)
    // when the walk has entered it before through another path, or has listed
    // that record before. A path already walked (overlapping roots) is not
    // counted as passed over. So no record is met twice in one walk.
    bool FirstEntry(const FileIdentity& identity, FolderItem* folder, std::string_view path);
    // Once the walk is over: records in links each new path of a file met
    // by more than one path, and of a file seen through a bind mount of the
    // file itself (found among the files of its size in intake). Paths of a
    // file among which a changed record is are left to the commit.
    void LinkSameFiles();
    // The folder record of an absolute root path, made along with the records of
    // its ancestors when missing; null when a piece is too long for a name.
    FolderItem* PositionOnRoot(const std::string& path);
    // Files a new entry, or notes a held file met again; returns its record.
    FileItem* AddFile(FolderItem* folder, const FindData& entry);
    void NoteHeldFile(FileItem* file, const FindData& entry);
    void PostStatus(std::string text) noexcept;
    void PostDone() noexcept;

    FolderItem* root;
    FileCatalog* intake;
    SameFileLinks* links;
    ScanChanges* changes;
    MessageTarget* target;
    ManualResetEvent stopEvent;
    bool idlePriority = true;
    // Roots not yet walked, taken from the back.
    std::deque<std::string> roots;
    std::thread thread;
    bool started = false;
    std::atomic<uint32_t> foldersEntered{0};
    ScanSkips skips;

    // Folders entered, and the paths met of files with more than one name
    // (only those can be met twice, but for a file bind-mounted on its own:
    // see mountedFiles), in the order met.
    std::unordered_map<FileIdentity, FolderItem*, FileIdentityHash> enteredFolders;
    std::unordered_set<const FolderItem*> listedFolders;
    std::unordered_map<FileIdentity, std::vector<FileItem*>, FileIdentityHash> linkedFiles;
    // New files that are mount points themselves, with one name.
    std::vector<std::pair<FileItem*, FileIdentity>> mountedFiles;
    // Held files found changed, so that one met twice goes into intake once.
    std::unordered_set<const FileItem*> changedFiles;
};

}  // namespace twinseek
