#include "scan/ScanEngine.h"

#include "platform/FullPath.h"
#include "platform/ThreadPriority.h"
#include "scan/DirectoryEnumerator.h"

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

// Opens a directory for listing; one on a pseudo file system is not listed.
bool OpenListing(DirectoryEnumerator& enumerator, const char* path) {
    if (!enumerator.Open(path)) return false;
    if (!enumerator.IsOnPseudoFileSystem()) return true;
    enumerator.Close();
    return false;
}

}  // namespace

ScanEngine::ScanEngine(FolderItem* rootFolder, FileCatalog* intakeCatalog, MessageTarget* messageTarget)
    : root(rootFolder), intake(intakeCatalog), target(messageTarget) {}

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

    while (!(roots.empty() && parents.empty()) && !stopEvent.IsSet()) {
        bool listing;
        if (parents.empty()) {
            std::string rootPath = std::move(roots.back());
            roots.pop_back();
            // The records of the root's path exist even when it cannot be listed.
            currentFolder = PositionOnRoot(rootPath);
            listing = currentFolder && OpenListing(*current, rootPath.c_str());
        } else {
            current = std::move(parents.back());
            parents.pop_back();
            listing = current->Next();
            currentFolder = currentFolder->parent;
        }

        while (listing && !stopEvent.IsSet()) {
            // A name holding a line break could not be stored as a line of the
            // document, so such entries are left out of the catalogue.
            if (current->IsDotsEntry() || HasLineBreak(current->Entry().cFileName)) {
                listing = current->Next();
                continue;
            }
            // Links are never directories here (the entry is not followed), so a
            // linked directory is filed as a file and never entered.
            if (!current->HasAttribute(FILE_ATTRIBUTE_DIRECTORY)) {
                AddFile(currentFolder, current->Entry());
                listing = current->Next();
                continue;
            }
            // A subdirectory whose full path exceeds PATH_MAX could not be opened
            // by it: it is neither announced nor recorded.
            if (!current->FullPath(path, sizeof path)) {
                listing = current->Next();
                continue;
            }
            PostStatus(path);
            foldersEntered.fetch_add(1, std::memory_order_relaxed);
            currentFolder = currentFolder->FindOrCreateFolder(current->Entry());
            parents.push_back(std::move(current));
            current = std::make_unique<DirectoryEnumerator>();
            // One that cannot be listed keeps its record, with nothing inside.
            listing = OpenListing(*current, path);
        }
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
