#include "document/Document.h"

#include "document/CXArchive.h"
#include "platform/CXException.h"
#include "platform/CXFile.h"
#include "platform/FileOperations.h"
#include "platform/PathProbe.h"
#include "platform/RemoveOnSignal.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <unordered_map>
#include <utility>
#include <exception>
#include <memory>
#include <unordered_set>
#include <vector>

namespace twinseek {

namespace {

NullProgressIndicator unwatchedProgress;

// The reason a load or save failed, as the user reads it.
std::string DescribeError(const std::exception& error) {
    if (const auto* failure = dynamic_cast<const CXException*>(&error); failure && failure->message.empty())
        return "error " + std::to_string(failure->GetCause());
    return error.what();
}

}  // namespace

Document::Document(DocumentPrompts& prompts, ProgressIndicator* progress)
    : root(FolderItem::CreateRoot()), prompts(&prompts), progress(progress) {}

Document::~Document() { delete root; }

void Document::SetProgress(ProgressIndicator* indicator) { progress = indicator; }

ProgressIndicator& Document::Progress() { return progress ? *progress : unwatchedProgress; }

void Document::RegisterView(DocumentView* view) { views.push_back(view); }

void Document::UnregisterView(DocumentView* view) { std::erase(views, view); }

void Document::UpdateAllViews() {
    for (size_t index = 0; index < views.size(); ++index) views[index]->UpdateFromDocument();
}

bool Document::QuerySave() {
    if (!modified) return true;
    switch (prompts->AskSaveChanges(DocumentPrompts::kSaveChangesText, DocumentPrompts::kConfirmTitle)) {
    case DocumentPrompts::Answer::Yes:
        if (!path.empty()) Store();
        else SaveAs();
        break;
    case DocumentPrompts::Answer::No:
        modified = false;
        break;
    case DocumentPrompts::Answer::Cancel:
        break;
    }
    return !modified;
}

void Document::ClearCatalogue() {
    if (onCatalogCleared) onCatalogCleared();
    for (DocumentView* view : views) view->CatalogAboutToBeCleared();
    duplicates.Clear();
    links.Clear();
    stamps.Clear();
    sameFilesUnchecked = false;
    loadedToIndex.clear();
    catalog.Clear();
    intake.Clear();
    scanChanges.Clear();
    root->ClearChildren();
    root->AssignFindData(FindData{});
    root->compareState = NotCompared;
}

void Document::Reset() {
    if (modified) return;
    ClearCatalogue();
    UpdateAllViews();
}

void Document::New() {
    QuerySave();
    Reset();
}

bool Document::Open() {
    if (!QuerySave()) return false;
    std::optional<std::string> chosen = prompts->ChooseOpenPath();
    if (!chosen) return false;
    return OpenFile(*chosen);
}

bool Document::OpenFile(const std::string& filePath, SameFileCheck check) {
    modified = false;
    ClearCatalogue();
    path = filePath;
    bool loaded = true;
    try {
        Load(check);
    } catch (const std::exception& error) {
        prompts->ShowError("Could not open " + filePath + ": " + DescribeError(error));
        loaded = false;
    }
    UpdateAllViews();
    return loaded;
}

void Document::Load(SameFileCheck check) {
    try {
        CXFile file;
        file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
        CXArchive archive(&file, CXArchive::Load | CXArchive::NoFlushOnDelete);
        LoadCatalog(archive, *root, catalog, duplicates, onFinishedLoaded, Progress(),
                    check == SameFileCheck::AfterScan ? &loadedToIndex : nullptr);
        archive.Close();
        file.Close();
        if (check == SameFileCheck::OnLoad)
            SeparateSameFilesInGroups(duplicates, links, IdentityOnDisk);
        else
            sameFilesUnchecked = true;
    } catch (...) {
        ClearCatalogue();
        path.clear();
        throw;
    }
}

void Document::IndexLoadedFiles() {
    duplicates.InsertAll(loadedToIndex);
    loadedToIndex.clear();
    loadedToIndex.shrink_to_fit();
}

bool Document::Save() { return path.empty() ? SaveAs() : Store(); }

bool Document::SaveAs() {
    std::optional<std::string> chosen = prompts->ChooseSavePath(path);
    if (!chosen) return false;
    path = *chosen;
    return Store();
}

bool Document::Store() {
    if (!modified) return true;
    if (const CatalogItem* record = FindUnstorableRecord(*root)) {
        std::string_view name = record->GetFullPath().empty() ? record->Name() : record->GetFullPath();
        prompts->ShowError("Could not save " + path + ": the name \"" + std::string(name) +
                           "\" holds a line break, which a document file cannot record.");
        return false;
    }
    try {
        WriteFile(path);
    } catch (const std::exception& error) {
        prompts->ShowError("Could not save " + path + ": " + DescribeError(error));
        return false;
    }
    modified = false;
    return true;
}

void Document::WriteFile(const std::string& pathGiven) {
    if (pathGiven.empty()) throw CXFileException(ENOENT);
    // Through a symbolic link the file it leads to is written, as editors do:
    // the link stays a link.
    const std::string target = ResolveLinkChain(pathGiven);
    // The new contents go to a file of their own, reach the disk, and only then
    // take the old file's place, so a failure at any point leaves the old file.
    CXFile file;
    RemoveOnSignal cleanup;
    std::string temporary = OpenTemporaryBeside(file, target);
    cleanup.Track(temporary);
    try {
        CXArchive archive(&file, CXArchive::Store | CXArchive::NoFlushOnDelete);
        StoreCatalog(archive, *root, Progress());
        archive.Close();
        CopyPermissions(target, temporary);
        file.Flush();
        file.Close();
        ReplaceFile(temporary, target);
        cleanup.Forget();
    } catch (...) {
        file.Abort();
        RemoveFile(temporary);
        throw;
    }
}

void Document::DiscardRecords(std::span<FileItem* const> files, std::span<FolderItem* const> folders) {
    if (files.empty() && folders.empty()) return;
    std::unordered_set<const FileItem*> doomed;
    auto forget = [&](FileItem* file) {
        if (!doomed.insert(file).second) return false;
        duplicates.Remove(file);
        catalog.Remove(file->Size(), file);
        stamps.Erase(file);
        return true;
    };
    std::vector<std::unique_ptr<CatalogItem>> released;
    for (FileItem* file : files)
        if (forget(file) && file->parent && file->parent->ReleaseFile(file)) released.emplace_back(file);
    for (FolderItem* folder : folders) {
        folder->ForEachFileBelow(forget);
        if (folder->parent && folder->parent->ReleaseFolder(folder)) released.emplace_back(folder);
    }
    const auto gone = [&](const FileItem* item) { return doomed.contains(item); };
    links.RemoveIf(gone);
    if (onFilesDiscarded) onFilesDiscarded(gone);
    modified = true;
    // The views let go of the records they show before the records are deleted.
    UpdateAllViews();
}

void Document::TakeReplacement(FileItem* file, FileItem* kept, bool hardLink) {
    stamps.Erase(file);
    modified = true;
    if (!hardLink) return;
    duplicates.Remove(file);
    file->findData.ftCreationTime = kept->findData.ftCreationTime;
    file->findData.ftLastAccessTime = kept->findData.ftLastAccessTime;
    file->findData.ftLastWriteTime = kept->findData.ftLastWriteTime;
    FileItem* first = links.FirstOf(kept);
    links.Add(file, first ? first : kept);
}

namespace {

// The folder record of an absolute folder path, made as a listing would have
// found it where missing; null when a piece cannot be looked at.
FolderItem* FolderRecordOf(FolderItem* root, const std::string& path) {
    FolderItem* folder = root->FindFolder("/");
    if (!folder) {
        FindData top;
        top.SetName("/");
        folder = root->FindOrCreateFolder(top);
        folder->compareState = NotCompared;
    }
    for (size_t start = 1; folder && start < path.size();) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view name = std::string_view(path).substr(start, end - start);
        if (!name.empty()) {
            FolderItem* child = folder->FindFolder(name);
            FindData data;
            if (!child && DescribePath(path.substr(0, end), data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                child = folder->FindOrCreateFolder(data);
                child->compareState = NotCompared;
            }
            folder = child;
        }
        start = end + 1;
    }
    return folder;
}

}  // namespace

void Document::TakeBackFiles(std::span<const std::string> paths) {
    std::unordered_set<const FileItem*> taken;
    for (const std::string& path : paths) {
        FindData data;
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos || !DescribePath(path, data)) continue;
        FolderItem* folder = FolderRecordOf(root, slash == 0 ? "/" : path.substr(0, slash));
        if (!folder) continue;
        bool created = false;
        FileItem* file = folder->FindOrCreateFile(data, created);
        if (!created) {
            duplicates.Remove(file);
            catalog.Remove(file->Size(), file);
            stamps.Erase(file);
            file->TakeChangedEntry(data);
        }
        file->compareState = NotCompared;
        catalog.Insert(file->Size(), file);
        taken.insert(file);
    }
    if (taken.empty()) return;
    const auto isTaken = [&](const FileItem* item) { return taken.contains(item); };
    links.RemoveIf(isTaken);
    if (onFilesDiscarded) onFilesDiscarded(isTaken);
    modified = true;
    UpdateAllViews();
}

RefreshCounts Document::CommitScan(bool finished) {
    // What a load left to this point changes the groups the views show.
    const bool loadChecked = std::exchange(sameFilesUnchecked, false);
    IndexLoadedFiles();
    if (!finished) {
        // Records the scan made are deleted; their links go first. Held
        // records were never touched, so dropping the findings restores all.
        links.RemoveIf([](const FileItem* item) { return item->compareState == Provisional; });
        root->Prune(false);
        intake.Clear();
        scanChanges.Clear();
        if (loadChecked) {
            SeparateSameFilesInGroups(duplicates, links, IdentityOnDisk);
            UpdateAllViews();
        }
        return {};
    }
    const bool anyChanged = !scanChanges.changed.empty() || loadChecked;
    ApplyChangedFiles();
    StampUnchangedFiles();
    if (loadChecked) SeparateSameFilesMet();
    root->Prune(true);
    catalog.MergeFrom(intake);
    intake.Clear();
    modified = true;
    std::vector<FileItem*> goneFiles = std::move(scanChanges.goneFiles);
    std::vector<FolderItem*> goneFolders = std::move(scanChanges.goneFolders);
    const RefreshCounts counts = scanChanges.counts;
    scanChanges.Clear();
    if (!goneFiles.empty() || !goneFolders.empty())
        DiscardRecords(goneFiles, goneFolders);  // rebuilds the views
    else if (anyChanged)
        UpdateAllViews();
    return counts;
}

void Document::ApplyChangedFiles() {
    if (scanChanges.changed.empty()) return;
    std::unordered_set<const FileItem*> changed;
    for (const ScanChanges::ChangedFile& change : scanChanges.changed) {
        FileItem* file = change.file;
        changed.insert(file);
        duplicates.Remove(file);
        catalog.Remove(file->Size(), file);  // it comes back from the intake under its new size
        stamps.Erase(file);
        file->TakeChangedEntry(change.entry);
    }
    const auto isChanged = [&](const FileItem* item) { return changed.contains(item); };
    links.RemoveIf(isChanged);
    if (onFilesDiscarded) onFilesDiscarded(isChanged);
    // The paths of one file are linked again, to a held path that did not
    // change if there is one, else to the first met.
    for (const std::vector<FileItem*>& paths : scanChanges.linksToRedo) {
        auto held = std::find_if(paths.begin(), paths.end(), [&](const FileItem* path) {
            return path->compareState != Provisional && !changed.contains(path);
        });
        FileItem* first = held == paths.end() ? paths.front() : *held;
        if (FileItem* before = links.FirstOf(first)) first = before;
        for (FileItem* path : paths)
            if (path != first && (path->compareState == Provisional || changed.contains(path))) links.Add(path, first);
    }
}

void Document::SeparateSameFilesMet() {
    // Two paths are one file when the file has several names, or when it is
    // reached through two mounts. A walk enters no folder twice, so only a
    // file mounted on its own shows through two mounts to it. Where the walk
    // met every grouped file (its unchanged compared files are all the index
    // holds) and no file mounted on its own, only the files it met with
    // several names need telling apart; else every path is looked at, on
    // disk where the walk did not meet it.
    const size_t metInIndex = size_t(std::count_if(
        scanChanges.unchanged.begin(), scanChanges.unchanged.end(),
        [](const ScanChanges::StampedFile& found) { return !found.file->IsUnopenable(); }));
    const bool onlyOtherNames = !scanChanges.mountedFileMet && metInIndex == duplicates.FileCount();
    std::unordered_map<const FileItem*, FileIdentity> met;
    met.reserve(onlyOtherNames ? 0 : scanChanges.unchanged.size());
    for (const ScanChanges::StampedFile& found : scanChanges.unchanged)
        if (!onlyOtherNames || found.otherNames) met.emplace(found.file, found.stamp.identity);
    SeparateSameFilesInGroups(duplicates, links, [&](const FileItem& file) -> std::optional<FileIdentity> {
        if (auto known = met.find(&file); known != met.end()) return known->second;
        if (onlyOtherNames) return std::nullopt;  // one name, no other path
        return IdentityOnDisk(file);
    });
}

void Document::StampUnchangedFiles() {
    // A stamp this run took when it compared the file is kept: it is how the
    // file stood when its digest was made, which a rewrite whose time was put
    // back does not match.
    stamps.Reserve(stamps.Count() + scanChanges.unchanged.size());
    for (const ScanChanges::StampedFile& found : scanChanges.unchanged) stamps.SetIfMissing(found.file, found.stamp);
}

}  // namespace twinseek
