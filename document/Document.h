// The program's data and its document file: the catalogue tree, its size
// indexes and duplicate index, where it is stored and whether it has changed.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "catalog/FileCatalog.h"
#include "catalog/FileStamps.h"
#include "catalog/FolderItem.h"
#include "catalog/SameFileLinks.h"
#include "catalog/ScanChanges.h"
#include "compare/ProgressIndicator.h"
#include "document/DocumentPrompts.h"
#include "document/DocumentView.h"
#include "document/TwsFormat.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace twinseek {

class Document {
public:
    // prompts answers the document's questions; progress (if any) shows loading
    // and saving. Both must outlive the document or be replaced first.
    explicit Document(DocumentPrompts& prompts, ProgressIndicator* progress = nullptr);
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document();

    void SetPrompts(DocumentPrompts& prompts) { this->prompts = &prompts; }
    void SetProgress(ProgressIndicator* progress);

    // Views are told, in registration order, to rebuild after a load or reset,
    // and after deleted files have left the catalogue; just before the records
    // are deleted, they are told to let go of them.
    void RegisterView(DocumentView* view);
    void UnregisterView(DocumentView* view);
    void UpdateAllViews();

    // Asks whether to save unsaved changes; true (modified false) when the
    // caller may go on and drop the catalogue.
    bool QuerySave();
    // Unless there are unsaved changes: deletes the catalogue and refreshes the
    // views. path is kept.
    void Reset();
    void New();
    // Asks to save, lets the user choose a file and loads it. True when a file
    // was loaded; a failure is shown and leaves an empty catalogue without a path.
    bool Open();
    // When the loaded Finished files are filed in the duplicate index, and the
    // paths of each group looked up on disk to take out those that are one
    // file with an earlier path of their group: as the file is loaded; or, for
    // a loader that scans at once, filing when IndexLoadedFiles is called
    // (while the walk runs) or the scan ends, and the check when the scan is
    // committed or cancelled (a walk learns the identity of what it meets).
    enum class SameFileCheck { OnLoad, AfterScan };

    // Drops the catalogue, whatever its changes, and loads the file at filePath
    // as Open does once a file is chosen.
    bool OpenFile(const std::string& filePath, SameFileCheck check = SameFileCheck::OnLoad);
    // Writes to path, or asks for one first. True when nothing is left unsaved.
    bool Save();
    bool SaveAs();
    // Writes the catalogue to path if it has changes. The old file is replaced
    // only by a complete new one; on failure it is untouched, modified stays
    // true and the reason is shown. When path is a symbolic link, the file it
    // leads to is written and the link stays. A signal that ends the process
    // meanwhile removes the new file first. True when nothing is left unsaved.
    bool Store();
    // Reads path into the empty catalogue, then (unless told AfterScan) takes
    // out of each duplicate group the paths that are one file on disk with an
    // earlier path of the group (into links). On failure the catalogue is
    // emptied, path cleared (so that a later save cannot overwrite the unread
    // file) and the CXFileException or CXArchiveException thrown on.
    void Load(SameFileCheck check = SameFileCheck::OnLoad);
    // Files the Finished files a load told AfterScan left out of the duplicate
    // index. A scan may walk meanwhile: it touches no index.
    void IndexLoadedFiles();
    // Ends a scan. Finished: its new records are catalogued, and what it found
    // of the records held before is applied: a changed file leaves its group,
    // the Finished list, its links and stamp, takes its new entry and is
    // catalogued under its new size, NotCompared; gone records are discarded;
    // unchanged Finished files are stamped as the scan found them. The views
    // rebuild when anything changed or went. Returns what the scan counted.
    // Cancelled: its records are deleted and the catalogue is as it was.
    // Either way, a same-file check left by a load is made.
    RefreshCounts CommitScan(bool finished);
    // Takes files, and folders with everything under them, out of the
    // catalogue: the size and duplicate indexes, the links, the stamps and
    // whatever onFilesDiscarded empties; marks the document modified and has
    // the views rebuild, then deletes the records. Whoever else holds record
    // pointers must let go of these first.
    void DiscardRecords(std::span<FileItem* const> files, std::span<FolderItem* const> folders = {});
    // A file a cleanup replaced by a copy that stays: by a hard link, it is
    // another path of kept from now on (out of its group, with kept's times);
    // by a clone, a file of its own still in its group. Either way it is
    // another inode now, so its stamp goes. The views are not told.
    void TakeReplacement(FileItem* file, FileItem* kept, bool hardLink);
    // Files brought back to these paths (an undone cleanup) come into the
    // catalogue as not compared: a record still there takes the file as it
    // is now and leaves its group; a missing one is made, with the folder
    // records its path needs. The views rebuild. Paths that cannot be looked
    // at are passed over.
    void TakeBackFiles(std::span<const std::string> paths);

    FolderItem* const root;
    bool modified = false;
    std::string path;
    FileCatalog catalog;
    FileCatalog intake;
    // What the running scan found of the records held before it.
    ScanChanges scanChanges;
    DuplicateIndex duplicates;
    // Further paths of files catalogued under another path (hard links); a
    // scan fills it, and loading from the duplicate groups. Not stored.
    SameFileLinks links;
    // How files stood when this run compared them or a scan met them
    // unchanged, for the check before removal. Not stored.
    FileStamps stamps;

    // Set by the owner of the Finished list: each Finished file as it is
    // loaded, in file order, with its digesting time.
    FinishedHook onFinishedLoaded;
    // Set by whoever holds record pointers (Finished and Comparing lists): called
    // just before the document deletes every record (reset, a load that
    // failed half-way), so that they let go of them.
    std::function<void()> onCatalogCleared;
    // Set by the owner of the Finished list: drop the rows of the files that
    // gone picks, which DiscardRecords is about to delete, or which a scan
    // found changed and so no longer compared.
    std::function<void(const std::function<bool(const FileItem*)>& gone)> onFilesDiscarded;

    const std::vector<DocumentView*>& Views() const { return views; }

private:
    void ClearCatalogue();
    // The first steps of committing a scan: changed files reset and their
    // links made anew; unchanged compared files stamped unless already.
    void ApplyChangedFiles();
    void StampUnchangedFiles();
    // The same-file check of a load told AfterScan, with what the walk found.
    void SeparateSameFilesMet();
    void WriteFile(const std::string& target);
    ProgressIndicator& Progress();

    DocumentPrompts* prompts;
    ProgressIndicator* progress;
    // A load told AfterScan has not made its same-file check yet, nor filed these.
    bool sameFilesUnchecked = false;
    std::vector<FileItem*> loadedToIndex;
    std::vector<DocumentView*> views;
};

}  // namespace twinseek
