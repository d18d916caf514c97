#include "catalog/CatalogMerge.h"

#include <algorithm>
#include <memory>

namespace twinseek {

namespace {

bool HasDigest(const FileItem& file) {
    return file.compareState.load(std::memory_order_relaxed) == Finished && !file.IsUnopenable() &&
           !file.DigestText().empty();
}

std::string ChildPath(const FolderItem& folder, std::string_view name) {
    std::string path(folder.GetFullPath());
    if (!path.empty() && !path.ends_with('/')) path += '/';
    return path.append(name);
}

std::string FileAndFolder(const FolderItem& folder, std::string_view name) {
    return ChildPath(folder, name) + " is a folder in one catalogue and a file in another";
}

// What two records of one path disagree in, or empty when they are one file.
std::string Disagreement(const FileItem& a, const FileItem& b) {
    std::string what;
    const auto add = [&](const char* field) { what += what.empty() ? field : std::string(", ") + field; };
    if (a.Size() != b.Size()) add("size");
    if (a.LastWriteTime().Value() != b.LastWriteTime().Value()) add("last-write time");
    if (a.IsLink() != b.IsLink()) add("kind");
    if (HasDigest(a) && HasDigest(b) && a.DigestText() != b.DigestText()) add("digest");
    return what;
}

// The record at an absolute path below root, null when there is none.
CatalogItem* FindRecord(FolderItem& root, std::string_view path, bool& isFolder) {
    isFolder = true;
    FolderItem* folder = root.FindFolder("/");
    const std::vector<std::string_view> pieces = PathPieces(path);
    for (size_t i = 0; folder && i < pieces.size(); ++i) {
        if (FolderItem* child = folder->FindFolder(pieces[i])) {
            folder = child;
        } else {
            isFolder = false;
            return i + 1 == pieces.size() ? folder->FindFile(pieces[i]) : nullptr;
        }
    }
    return folder;
}

// The folder called name in parent, made where missing as a scan makes the
// folders on a root's path (no attributes); null, with error, where a file
// stands in its place.
FolderItem* PathFolder(FolderItem& parent, std::string_view name, std::string& error) {
    if (FolderItem* existing = parent.FindFolder(name)) return existing;
    if (parent.FindFile(name)) {
        error = FileAndFolder(parent, name);
        return nullptr;
    }
    FindData data;
    if (!data.SetName(std::string(name).c_str())) {
        error = "the name " + std::string(name) + " is too long";
        return nullptr;
    }
    FolderItem* made = parent.FindOrCreateFolder(data);
    made->compareState = NotCompared;
    return made;
}

}  // namespace

std::string CatalogMerge::Add(FolderItem& input, std::span<const PathMapping> mappings) {
    ++inputs;
    // A from inside another is longer, and is taken out before the one around it.
    std::vector<const PathMapping*> order;
    for (const PathMapping& mapping : mappings) order.push_back(&mapping);
    std::stable_sort(order.begin(), order.end(),
                     [](const PathMapping* a, const PathMapping* b) { return a->from.size() > b->from.size(); });
    struct Detached {
        std::unique_ptr<CatalogItem> record;
        bool isFolder;
        const PathMapping* mapping;
    };
    std::vector<Detached> detached;
    std::string error;
    for (size_t i = 0; i < order.size() && error.empty(); ++i) {
        const PathMapping& mapping = *order[i];
        if (i > 0 && order[i - 1]->from == mapping.from) {
            error = mapping.from + " is mapped twice";
            break;
        }
        bool isFolder = false;
        CatalogItem* record = FindRecord(input, mapping.from, isFolder);
        if (!record) {
            error = "the mapping " + mapping.from + "=" + mapping.to + " names nothing: no file or folder is at " +
                    mapping.from;
            break;
        }
        if (isFolder)
            record->parent->ReleaseFolder(static_cast<FolderItem*>(record));
        else
            record->parent->ReleaseFile(static_cast<FileItem*>(record));
        detached.push_back({std::unique_ptr<CatalogItem>(record), isFolder, &mapping});
    }
    if (error.empty()) {
        if (inputs == 1 && output.ChildFolders().empty() && output.Files().empty())
            output.AssignFindData(input.GetFindData());
        error = MergeFolders(output, input);
    }
    for (Detached& moved : detached)
        if (error.empty()) error = Place(std::move(moved.record), moved.isFolder, moved.mapping->to);
    input.ClearChildren();
    return error;
}

std::string CatalogMerge::MergeFolders(FolderItem& into, FolderItem& from) {
    std::vector<std::pair<FolderItem*, FolderItem*>> pending{{&into, &from}};
    std::vector<FolderItem*> folders;
    std::vector<FileItem*> fileRecords;
    while (!pending.empty()) {
        auto [target, source] = pending.back();
        pending.pop_back();
        // A folder only on a root's path takes the entry a listing gave it.
        if (target->parent && target->findData.dwFileAttributes == 0 && source->findData.dwFileAttributes != 0)
            target->AssignFindData(source->GetFindData());
        folders.assign(source->ChildFolders().begin(), source->ChildFolders().end());
        for (FolderItem* child : folders) {
            if (FolderItem* there = target->FindFolder(child->Name())) {
                pending.push_back({there, child});
                continue;
            }
            if (target->FindFile(child->Name())) return FileAndFolder(*target, child->Name());
            source->ReleaseFolder(child);
            target->AdoptFolder(child);
            Count(*child);
        }
        fileRecords.assign(source->Files().begin(), source->Files().end());
        for (FileItem* file : fileRecords) {
            if (FileItem* there = target->FindFile(file->Name())) {
                if (std::string error = MergeFile(*there, *file, *target); !error.empty()) return error;
                continue;
            }
            if (target->FindFolder(file->Name())) return FileAndFolder(*target, file->Name());
            source->ReleaseFile(file);
            target->AdoptFile(file);
            Count(*file);
        }
    }
    return {};
}

std::string CatalogMerge::MergeFile(FileItem& into, const FileItem& from, const FolderItem& folder) {
    if (std::string what = Disagreement(into, from); !what.empty())
        return ChildPath(folder, into.Name()) + " is a different file in two catalogues: they differ in " + what;
    if (!HasDigest(into) && HasDigest(from)) {
        into.SetDigestText(from.DigestText());
        into.hashMillis = from.hashMillis;
        into.compareState = Finished;
    }
    return {};
}

std::string CatalogMerge::Place(std::unique_ptr<CatalogItem> record, bool isFolder, const std::string& to) {
    const std::vector<std::string_view> pieces = PathPieces(to);
    if (pieces.empty() && !isFolder) return "a file cannot take the place of the folder /";
    std::string error;
    FolderItem* parent = &output;
    std::string_view name = "/";
    if (!pieces.empty()) {
        parent = PathFolder(output, "/", error);
        for (size_t i = 0; parent && i + 1 < pieces.size(); ++i) parent = PathFolder(*parent, pieces[i], error);
        if (!parent) return error;
        name = pieces.back();
    }
    if (record->Name() != name) {
        FindData data = record->GetFindData();
        if (!data.SetName(std::string(name).c_str())) return "the name " + std::string(name) + " is too long";
        record->AssignFindData(data);
    }
    if (isFolder) {
        auto* folder = static_cast<FolderItem*>(record.get());
        if (FolderItem* there = parent->FindFolder(name)) return MergeFolders(*there, *folder);
        if (parent->FindFile(name)) return FileAndFolder(*parent, name);
        parent->AdoptFolder(folder);
        record.release();
        Count(*folder);
    } else {
        auto* file = static_cast<FileItem*>(record.get());
        if (FileItem* there = parent->FindFile(name)) return MergeFile(*there, *file, *parent);
        if (parent->FindFolder(name)) return FileAndFolder(*parent, name);
        parent->AdoptFile(file);
        record.release();
        Count(*file);
    }
    return {};
}

void CatalogMerge::Count(const FileItem& adopted) {
    if (!adopted.IsLink()) files.push_back({adopted.Size(), &adopted, inputs});
}

void CatalogMerge::Count(const FolderItem& adopted) {
    adopted.ForEachFileBelow([this](const FileItem* file) { Count(*file); });
}

uint64_t CatalogMerge::UndigestedAcrossInputs() {
    std::sort(files.begin(), files.end(), [](const InputFile& a, const InputFile& b) { return a.size < b.size; });
    uint64_t count = 0;
    for (size_t first = 0; first < files.size();) {
        size_t last = first;
        bool acrossInputs = false;
        for (; last < files.size() && files[last].size == files[first].size; ++last)
            acrossInputs |= files[last].input != files[first].input;
        if (acrossInputs)
            for (size_t i = first; i < last; ++i)
                if (files[i].file->compareState.load(std::memory_order_relaxed) != Finished) ++count;
        first = last;
    }
    return count;
}

}  // namespace twinseek
