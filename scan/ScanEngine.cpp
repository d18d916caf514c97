#include "scan/ScanEngine.h"

#include "platform/FileIdentity.h"
#include "platform/FullPath.h"
#include "platform/ThreadPriority.h"
#include "scan/DirectoryEnumerator.h"

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

}  // namespace

ScanEngine::ScanEngine(FolderItem* rootFolder, FileCatalog* intakeCatalog, SameFileLinks* sameFileLinks,
                       MessageTarget* messageTarget)
    : root(rootFolder), intake(intakeCatalog), links(sameFileLinks), target(messageTarget) {}

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
    // The enumerators of the directories above the one being listed, innermost last.
    std::vector<std::unique_ptr<DirectoryEnumerator>> parents;
    auto current = std::make_unique<DirectoryEnumerator>();
    // The walk's cursor: the record of the directory being listed. Only the walk
    // moves it, so it lives here rather than beside the catalogue.
    FolderItem* currentFolder = root;
    char path[PATH_MAX];

    // Opens a listing, telling why one is not made; one on a pseudo file
    // system is not listed.
    auto openListing = [this](DirectoryEnumerator& enumerator, const char* folderPath) {
        if (!enumerator.Open(folderPath)) {
            skips.Add(SkipCause::Unlistable, folderPath);
            return false;
        }
        if (!enumerator.IsOnPseudoFileSystem()) return true;
        enumerator.Close();
        skips.Add(SkipCause::PseudoFileSystem, folderPath);
        return false;
    };

    while (!(roots.empty() && parents.empty()) && !stopEvent.IsSet()) {
        // A listing that ended having lost entries counts as one not made whole.
        if (current->MissedEntries()) skips.Add(SkipCause::Unlistable, current->RootDir());
        bool listing = false;
        if (parents.empty()) {
            std::string rootPath = std::move(roots.back());
            roots.pop_back();
            current = std::make_unique<DirectoryEnumerator>();
            // The records of the root's path exist even when it cannot be listed.
            currentFolder = PositionOnRoot(rootPath);
            std::optional<FileIdentity> identity = IdentityOfPath(rootPath.c_str());
            if (!currentFolder)
                skips.Add(SkipCause::PathTooLong, rootPath);
            else if (!identity || FirstEntry(*identity, currentFolder, rootPath))
                listing = openListing(*current, rootPath.c_str());
        } else {
            current = std::move(parents.back());
            parents.pop_back();
            listing = current->Next();
            currentFolder = currentFolder->parent;
        }

        while (listing && !stopEvent.IsSet()) {
            const FindData& entry = current->Entry();
            if (current->IsDotsEntry()) {
                listing = current->Next();
                continue;
            }
            // A name holding a line break could not be stored as a line of the
            // document, and an entry whose path exceeds PATH_MAX could not be
            // opened by it: both are left out of the catalogue.
            const bool lineBreak = HasLineBreak(entry.cFileName);
            if (lineBreak || !current->FullPath(path, sizeof path)) {
                skips.Add(lineBreak ? SkipCause::LineBreak : SkipCause::PathTooLong, EntryPath(*current));
                listing = current->Next();
                continue;
            }
            // Links are never directories here (the entry is not followed), so a
            // linked directory is filed as a file and never entered.
            if (!current->HasAttribute(FILE_ATTRIBUTE_DIRECTORY)) {
                AddFile(currentFolder, entry);
                listing = current->Next();
                continue;
            }
            FolderItem* folder = currentFolder->FindOrCreateFolder(entry);
            // A folder met again keeps its record, with nothing inside.
            if (!FirstEntry(entry.stamp.identity, folder, path)) {
                listing = current->Next();
                continue;
            }
            PostStatus(path);
            foldersEntered.fetch_add(1, std::memory_order_relaxed);
            currentFolder = folder;
            parents.push_back(std::move(current));
            current = std::make_unique<DirectoryEnumerator>();
            // One that cannot be listed keeps its record, with nothing inside.
            listing = openListing(*current, path);
        }
    }
    if (current->MissedEntries()) skips.Add(SkipCause::Unlistable, current->RootDir());
}

bool ScanEngine::FirstEntry(const FileIdentity& identity, FolderItem* folder, std::string_view path) {
    auto [place, first] = enteredFolders.emplace(identity, folder);
    if (first) return true;
    if (place->second != folder) skips.Add(SkipCause::EnteredBefore, path);
    return false;
}

void ScanEngine::LinkSameFiles() {
    for (const auto& [identity, paths] : linkedFiles) {
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

void ScanEngine::AddFile(FolderItem* folder, const FindData& entry) {
    bool created = false;
    FileItem* file = folder->FindOrCreateFile(entry, created);
    // A file the tree already held keeps its record as it was and is not counted again.
    if (created) intake->Insert(file->Size(), file);
    if (!entry.IsRegularFile()) return;
    if (entry.linkCount > 1) {
        linkedFiles[entry.stamp.identity].push_back(file);
    } else if (entry.mountRoot && created) {
        mountedFiles.emplace_back(file, entry.stamp.identity);
    }
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
