#include "scan/ScanEngine.h"

#include "platform/FileIdentity.h"
#include "platform/FullPath.h"
#include "platform/ThreadPriority.h"
#include "scan/DirectoryEnumerator.h"
#include "scan/ListingTally.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>

namespace twinseek {

namespace {

bool HasLineBreak(const char* name) { return std::strpbrk(name, "\n\r") != nullptr; }

// The child folder record called name, made with all-zero entry data when missing.
FolderItem* ChildFolderNamed(FolderItem* folder, std::string_view name) {
    if (FolderItem* existing = folder->FindFolder(name)) return existing;
    FindData data;
    if (!data.SetName(std::string(name).c_str())) return nullptr;
    return folder->FindOrCreateFolder(data);
}

// The full path of the current entry even where it is too long for a path
// buffer, for telling what was passed over.
std::string EntryPath(const DirectoryEnumerator& enumerator) {
    std::string path = enumerator.RootDir();
    if (!path.ends_with('/')) path += '/';
    return path + enumerator.Entry().cFileName;
}

// Whether a held file's record no longer describes the entry met for it.
bool EntryChanged(const FileItem& file, const FindData& entry) {
    return file.Size() != entry.Size() || file.LastWriteTime().Value() != entry.ftLastWriteTime.Value() ||
           file.IsLink() != ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
}

}  // namespace

// One open directory of the walk, with the tally of what its folder held.
struct ScanEngine::OpenListing {
    DirectoryEnumerator enumerator;
    ListingTally tally;
};

ScanEngine::ScanEngine(FolderItem* rootFolder, FileCatalog* intakeCatalog, SameFileLinks* sameFileLinks,
                       ScanChanges* scanChanges, MessageTarget* messageTarget)
    : root(rootFolder), intake(intakeCatalog), links(sameFileLinks), changes(scanChanges), target(messageTarget) {}

ScanEngine::~ScanEngine() {
    Stop();
    Wait();
}

bool ScanEngine::Start(const std::vector<std::string>& rootPaths) {
    if (started) return false;
    started = true;
    // The thread takes roots from the back, so they go in last first.
    for (auto it = rootPaths.rbegin(); it != rootPaths.rend(); ++it) {
        // A relative root whose base (the working directory) cannot be read is left out.
        if (std::optional<std::string> fullPath = GetFullPathName(*it)) roots.push_back(std::move(*fullPath));
    }
    try {
        thread = std::thread(&ScanEngine::Walk, this);
    } catch (const std::system_error&) {
        roots.clear();
        return false;
    }
    return true;
}

void ScanEngine::Stop() { stopEvent.Set(); }

void ScanEngine::Wait() {
    if (thread.joinable()) thread.join();
}

void ScanEngine::Walk() {
    if (idlePriority) LowerCurrentThreadToIdlePriority();
    PostStatus("Initialize...");
    try {
        WalkRoots();
        LinkSameFiles();
    } catch (const std::bad_alloc&) {
        // Out of memory: the walk ends here, with what it has recorded so far.
    }
    PostDone();
}

void ScanEngine::WalkRoots() {
    // The listings of the directories above the one being listed, innermost last.
    std::vector<std::unique_ptr<OpenListing>> parents;
    auto current = std::make_unique<OpenListing>();
    // The walk's cursor: the record of the directory being listed. Only the walk
    // moves it, so it lives here rather than beside the catalogue.
    FolderItem* currentFolder = root;
    char path[PATH_MAX];
    bool listing = false;

    // Opens a listing of folder, telling why one is not made; one on a pseudo
    // file system is not listed.
    auto openListing = [this](OpenListing& open, FolderItem* folder, const char* folderPath) {
        DirectoryEnumerator& enumerator = open.enumerator;
        if (!enumerator.Open(folderPath)) {
            skips.Add(SkipCause::Unlistable, folderPath);
            return false;
        }
        if (enumerator.IsOnPseudoFileSystem()) {
            enumerator.Close();
            skips.Add(SkipCause::PseudoFileSystem, folderPath);
            return false;
        }
        open.tally.Begin(folder);
        return true;
    };
    // A listing that lost entries counts as one not made whole; one that ran
    // to its end whole tells what its folder no longer holds.
    auto endListing = [this](const OpenListing& open, bool ranToEnd) {
        if (open.enumerator.MissedEntries())
            skips.Add(SkipCause::Unlistable, open.enumerator.RootDir());
        else if (ranToEnd)
            open.tally.CollectGone(*changes);
    };

    while (!(roots.empty() && parents.empty()) && !stopEvent.IsSet()) {
        listing = false;
        if (parents.empty()) {
            std::string rootPath = std::move(roots.back());
            roots.pop_back();
            current = std::make_unique<OpenListing>();
            // The records of the root's path exist even when it cannot be listed.
            currentFolder = PositionOnRoot(rootPath);
            std::optional<FileIdentity> identity = IdentityOfPath(rootPath.c_str());
            if (!currentFolder)
                skips.Add(SkipCause::PathTooLong, rootPath);
            else if (identity ? FirstEntry(*identity, currentFolder, rootPath)
                              : listedFolders.insert(currentFolder).second)
                listing = openListing(*current, currentFolder, rootPath.c_str());
        } else {
            current = std::move(parents.back());
            parents.pop_back();
            listing = current->enumerator.Next();
            currentFolder = currentFolder->parent;
        }

        while (listing && !stopEvent.IsSet()) {
            DirectoryEnumerator& enumerator = current->enumerator;
            const FindData& entry = enumerator.Entry();
            if (enumerator.IsDotsEntry()) {
                listing = enumerator.Next();
                continue;
            }
            // A name holding a line break could not be stored as a line of the
            // document, and an entry whose path exceeds PATH_MAX could not be
            // opened by it: both are left out of the catalogue, and whatever
            // the catalogue holds under that name stays.
            const bool lineBreak = HasLineBreak(entry.cFileName);
            if (lineBreak || !enumerator.FullPath(path, sizeof path)) {
                skips.Add(lineBreak ? SkipCause::LineBreak : SkipCause::PathTooLong, EntryPath(enumerator));
                current->tally.MetName(entry.cFileName);
                listing = enumerator.Next();
                continue;
            }
            // Links are never directories here (the entry is not followed), so a
            // linked directory is filed as a file and never entered.
            if (!enumerator.HasAttribute(FILE_ATTRIBUTE_DIRECTORY)) {
                current->tally.Met(AddFile(currentFolder, entry));
                listing = enumerator.Next();
                continue;
            }
            FolderItem* folder = currentFolder->FindOrCreateFolder(entry);
            current->tally.Met(folder);
            // A folder met again keeps its record, and all it holds.
            if (!FirstEntry(entry.stamp.identity, folder, path)) {
                listing = enumerator.Next();
                continue;
            }
            PostStatus(path);
            foldersEntered.fetch_add(1, std::memory_order_relaxed);
            currentFolder = folder;
            parents.push_back(std::move(current));
            current = std::make_unique<OpenListing>();
            // One that cannot be listed keeps its record, and all it holds.
            listing = openListing(*current, folder, path);
        }
        // Ended, or never opened; a stop leaves it listing.
        if (!listing) endListing(*current, true);
    }
    if (listing) endListing(*current, false);
}

bool ScanEngine::FirstEntry(const FileIdentity& identity, FolderItem* folder, std::string_view path) {
    // A record is listed once, even where what its path leads to was replaced meanwhile.
    if (listedFolders.contains(folder)) return false;
    auto [place, first] = enteredFolders.emplace(identity, folder);
    if (first) return listedFolders.insert(folder).second;
    if (place->second != folder) skips.Add(SkipCause::EnteredBefore, path);
    return false;
}

void ScanEngine::LinkSameFiles() {
    for (const auto& [identity, paths] : linkedFiles) {
        // A changed record leaves its links at commit; the paths are linked anew then.
        const auto changed = [&](const FileItem* path) { return changedFiles.contains(path); };
        if (std::any_of(paths.begin(), paths.end(), changed)) {
            changes->linksToRedo.push_back(paths);
            continue;
        }
        // A record the tree held stands for its file as it did before; else
        // the first path met does.
        auto held = std::find_if(paths.begin(), paths.end(),
                                 [](const FileItem* path) { return path->compareState != Provisional; });
        FileItem* first = held == paths.end() ? paths.front() : *held;
        if (FileItem* before = links->FirstOf(first)) first = before;
        // Only a new record becomes a further path: one the tree held may
        // already be compared and grouped.
        for (FileItem* path : paths)
            if (path != first && path->compareState == Provisional) links->Add(path, first);
    }
    for (const auto& [mounted, identity] : mountedFiles) {
        if (links->FirstOf(mounted) || !links->ExtrasOf(mounted).empty()) continue;
        // Its other paths have its size; the first of them in intake order is
        // the first collected.
        std::vector<FileItem*> paths;
        for (const FileCatalog::Entry& entry : intake->Range(0, mounted->Size()))
            if (entry.item == mounted || IdentityOfPath(std::string(entry.item->GetFullPath()).c_str()) == identity)
                paths.push_back(entry.item);
        for (size_t i = 1; i < paths.size(); ++i) links->Add(paths[i], paths[0]);
    }
}

FolderItem* ScanEngine::PositionOnRoot(const std::string& path) {
    FolderItem* folder = root;
    size_t position = 0;
    if (path.starts_with('/')) {
        folder = ChildFolderNamed(folder, "/");
        position = 1;
    }
    while (folder && position < path.size()) {
        size_t end = path.find('/', position);
        if (end == std::string::npos) end = path.size();
        if (end > position) folder = ChildFolderNamed(folder, std::string_view(path).substr(position, end - position));
        position = end + 1;
    }
    return folder;
}

FileItem* ScanEngine::AddFile(FolderItem* folder, const FindData& entry) {
    bool created = false;
    FileItem* file = folder->FindOrCreateFile(entry, created);
    if (created) {
        intake->Insert(file->Size(), file);
        if (entry.IsRegularFile()) ++changes->counts.newFiles;
    } else if (file->compareState.load(std::memory_order_relaxed) != Provisional) {
        NoteHeldFile(file, entry);
    }
    // One this scan made already is not counted again.
    if (!entry.IsRegularFile()) return file;
    if (entry.mountRoot) changes->mountedFileMet = true;
    if (entry.linkCount > 1) {
        linkedFiles[entry.stamp.identity].push_back(file);
    } else if (entry.mountRoot && created) {
        mountedFiles.emplace_back(file, entry.stamp.identity);
    }
    return file;
}

void ScanEngine::NoteHeldFile(FileItem* file, const FindData& entry) {
    if (!EntryChanged(*file, entry)) {
        // Its digest still stands; how the file stands now is held to it before removal.
        if (entry.IsRegularFile() && file->compareState.load(std::memory_order_relaxed) == Finished)
            changes->unchanged.push_back({file, entry.stamp, entry.linkCount > 1});
        return;
    }
    if (!changedFiles.insert(file).second) return;
    changes->changed.push_back({file, entry});
    intake->Insert(entry.Size(), file);
    if (entry.IsRegularFile()) ++changes->counts.changedFiles;
}

void ScanEngine::PostStatus(std::string text) noexcept {
    if (!target) return;
    try {
        target->PostScanStatus(std::move(text));
    } catch (...) {
        // A message that cannot be posted is dropped; the walk goes on.
    }
}

void ScanEngine::PostDone() noexcept {
    if (!target) return;
    try {
        target->PostScanDone();
    } catch (...) {
    }
}

}  // namespace twinseek
