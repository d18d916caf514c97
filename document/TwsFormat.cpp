#include "document/TwsFormat.h"

#include "platform/CXException.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace twinseek {

namespace {

constexpr char kWritingText[] = "Writing data...";
constexpr char kReadingText[] = "Reading data...";
constexpr uint8_t kLineEnd = 0x0A;

// One progress run: the range is the file count clamped into the indicator's
// signed range, and steps never go past it (nor happen at all for a range of 0).
class ProgressRun {
public:
    ProgressRun(ProgressIndicator& progress, const char* text, uint64_t total)
        : progress(progress), range(int32_t(std::min<uint64_t>(total, INT32_MAX))) {
        progress.ProgressStart(text, range);
    }
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;
    ~ProgressRun() { progress.ProgressEnd(); }

    void Step() {
        if (done >= range) return;
        ++done;
        progress.ProgressStep();
    }

private:
    ProgressIndicator& progress;
    int32_t range;
    int32_t done = 0;
};

void StoreLine(CXArchive& archive, std::string_view text) {
    archive.WriteString(text);
    archive.StoreByte(kLineEnd);
}

void StoreItemRecord(CXArchive& archive, const CatalogItem& item) {
    const EntryData& entry = item.findData;
    archive.StoreWord(entry.dwFileAttributes);
    archive.StoreWord(entry.ftCreationTime.dwLowDateTime);
    archive.StoreWord(entry.ftCreationTime.dwHighDateTime);
    archive.StoreWord(entry.ftLastAccessTime.dwLowDateTime);
    archive.StoreWord(entry.ftLastAccessTime.dwHighDateTime);
    archive.StoreWord(entry.ftLastWriteTime.dwLowDateTime);
    archive.StoreWord(entry.ftLastWriteTime.dwHighDateTime);
    archive.StoreWord(entry.nFileSizeHigh);
    archive.StoreWord(entry.nFileSizeLow);
    StoreLine(archive, item.Name());
    StoreLine(archive, item.AlternateName());
    archive.StoreWord(uint32_t(item.compareState.load(std::memory_order_relaxed)));
}

void StoreFileRecord(CXArchive& archive, const FileItem& file) {
    StoreItemRecord(archive, file);
    archive.StoreWord(file.hashMillis);
    StoreLine(archive, file.DigestText());
}

// Reads one text line into a field of fieldSize bytes (terminator included).
// The line may run to fieldSize bytes before its end, one more than the field
// keeps, so that a text filling the field still has its line end consumed;
// a longer line leaves the rest to the next field. False when the text held
// a zero byte (the field keeps what came before it).
bool LoadLine(CXArchive& archive, char* field, size_t fieldSize) {
    char line[kMaxNameBuffer + 1];
    int64_t stored = archive.ReadStringLength(line, int(fieldSize));
    if (stored < 0) {
        field[0] = '\0';
        return true;
    }
    size_t length = std::strlen(line);
    std::memcpy(field, line, std::min(length, fieldSize - 1));
    field[std::min(length, fieldSize - 1)] = '\0';
    return length == size_t(stored);
}

struct ItemRecord {
    FindData data;
    int32_t state = 0;
    bool nameHasZero = false;
};

ItemRecord LoadItemRecord(CXArchive& archive) {
    ItemRecord record;
    FindData& data = record.data;
    data.dwFileAttributes = archive.LoadWord();
    data.ftCreationTime.dwLowDateTime = archive.LoadWord();
    data.ftCreationTime.dwHighDateTime = archive.LoadWord();
    data.ftLastAccessTime.dwLowDateTime = archive.LoadWord();
    data.ftLastAccessTime.dwHighDateTime = archive.LoadWord();
    data.ftLastWriteTime.dwLowDateTime = archive.LoadWord();
    data.ftLastWriteTime.dwHighDateTime = archive.LoadWord();
    data.nFileSizeHigh = archive.LoadWord();
    data.nFileSizeLow = archive.LoadWord();
    record.nameHasZero = !LoadLine(archive, data.cFileName, sizeof data.cFileName);
    LoadLine(archive, data.cAlternateFileName, sizeof data.cAlternateFileName);
    record.state = int32_t(archive.LoadWord());
    return record;
}

// A loaded file is either Finished or comparable again: Queued and Digested
// files were never collected, and a Provisional one would be deleted by the
// next cancelled scan while still catalogued.
int32_t LoadedFileState(int32_t stored) { return stored == Finished ? Finished : NotCompared; }

int32_t LoadCount(CXArchive& archive) { return int32_t(archive.LoadWord()); }

// The length of a record's full path and its last character, worked out as
// the path itself would be built: the parent's path, '/' unless that already
// ends in '/', then the name. The root's path is empty.
struct PathExtent {
    size_t length = 0;
    char last = '\0';

    PathExtent Child(std::string_view name) const {
        PathExtent child = *this;
        if (length != 0 && last != '/') {
            ++child.length;
            child.last = '/';
        }
        child.length += name.size();
        if (!name.empty()) child.last = name.back();
        return child;
    }
};

[[noreturn]] void ThrowDamaged(std::string text) {
    CXArchiveException error(CXArchiveException::Generic, std::string());
    error.message = std::move(text);
    throw error;
}

// Where a record starts in the file, for messages about it: records are
// counted from 1 in file order, the root's own record first.
struct RecordPlace {
    uint64_t number;
    uint64_t offset;

    std::string Text() const {
        return "record " + std::to_string(number) + " (byte " + std::to_string(offset) + ")";
    }
};

// A name a directory listing could have given, or the root's folder "/".
// Anything else would make a path lead somewhere other than where the record
// stands, or end where the name's bytes stop being part of it.
void CheckName(const ItemRecord& record, const RecordPlace& place, bool rootsFolder) {
    std::string_view name = record.data.cFileName;
    const char* fault = nullptr;
    if (record.nameHasZero) fault = " has a name holding a zero byte, which no file or folder can have";
    else if (name.empty()) fault = " has an empty name, which no file or folder can have";
    else if (name == "." || name == "..") fault = " is named \"%\", which no file or folder can be";
    else if (name.find('/') != std::string_view::npos && !(rootsFolder && name == "/"))
        fault = " is named \"%\", and a name cannot hold \"/\"";
    if (!fault) return;
    std::string text = place.Text() + fault;
    if (size_t mark = text.find('%'); mark != std::string::npos) text.replace(mark, 1, name);
    ThrowDamaged(std::move(text));
}

// No record of this system has a longer path. A deeper tree can only be
// damage, and every full path built below it would cost more memory than
// the last, so loading stops there.
void CheckPathLength(const PathExtent& path, const RecordPlace& place, bool folder) {
    if (path.length < PATH_MAX) return;
    ThrowDamaged(folder ? "folders nested deeper than a path can reach, at " + place.Text()
                        : "the path of " + place.Text() + " would be longer than a path can be");
}

class CatalogLoader {
public:
    CatalogLoader(CXArchive& archive, FileCatalog& catalog, DuplicateIndex& duplicates, const FinishedHook& onFinished,
                  ProgressRun& progress)
        : archive(archive), catalog(catalog), duplicates(duplicates), onFinished(onFinished), progress(progress) {}

    // Walks the folder records with an explicit stack, so that no nesting depth
    // can exhaust the call stack. A frame without a folder reads a dropped
    // record's contents and keeps none of them.
    void Load(FolderItem& root, std::vector<FileItem*>* toIndex) {
        // Finished files go into the duplicate index all at once at the end, in
        // file order, and so do those read before a failure.
        const auto hand = [&] {
            if (toIndex)
                *toIndex = std::move(finishedFiles);
            else
                duplicates.InsertAll(finishedFiles);
        };
        try {
            LoadTree(root);
        } catch (...) {
            hand();
            throw;
        }
        hand();
    }

private:
    // Reads the next record and refuses a name no scan could have made.
    ItemRecord LoadCheckedRecord(bool rootsFolder, RecordPlace& place) {
        place = {++recordCount, archive.GetByteCount()};
        ItemRecord record = LoadItemRecord(archive);
        CheckName(record, place, rootsFolder);
        return record;
    }

    void LoadTree(FolderItem& root) {
        ++recordCount;
        ItemRecord rootRecord = LoadItemRecord(archive);
        root.AssignFindData(rootRecord.data);
        root.compareState = NotCompared;

        struct Frame {
            FolderItem* folder;
            PathExtent path;
            int32_t foldersLeft;
        };
        std::vector<Frame> pending{{&root, PathExtent{}, LoadCount(archive)}};
        while (!pending.empty()) {
            Frame& top = pending.back();
            if (top.foldersLeft > 0) {
                --top.foldersLeft;
                FolderItem* parent = top.folder;
                RecordPlace place;
                ItemRecord record = LoadCheckedRecord(pending.size() == 1, place);
                PathExtent path = top.path.Child(record.data.cFileName);
                CheckPathLength(path, place, true);
                FolderItem* child = parent ? AdoptFolder(*parent, record) : nullptr;
                int32_t folderCount = LoadCount(archive);
                pending.push_back({child, path, folderCount});
                continue;
            }
            FolderItem* folder = top.folder;
            PathExtent path = top.path;
            pending.pop_back();
            for (int32_t fileCount = LoadCount(archive); fileCount > 0; --fileCount) LoadFile(folder, path);
        }
    }

    FolderItem* AdoptFolder(FolderItem& parent, const ItemRecord& record) {
        std::unique_ptr<FolderItem> child(FolderItem::Create(&parent, record.data, NotCompared));
        return parent.AdoptFolder(child.get()) ? child.release() : nullptr;
    }

    void LoadFile(FolderItem* folder, const PathExtent& folderPath) {
        RecordPlace place;
        ItemRecord record = LoadCheckedRecord(false, place);
        CheckPathLength(folderPath.Child(record.data.cFileName), place, false);
        uint32_t hashMillis = archive.LoadWord();
        char digestText[kDigestTextSize];
        LoadLine(archive, digestText, sizeof digestText);
        progress.Step();
        if (!folder) return;

        std::unique_ptr<FileItem> owned(FileItem::Create(folder, record.data, LoadedFileState(record.state)));
        owned->hashMillis = hashMillis;
        owned->SetDigestText(digestText);
        if (!folder->AdoptFile(owned.get())) return;
        FileItem* file = owned.release();
        catalog.Insert(file->Size(), file);
        if (file->compareState.load(std::memory_order_relaxed) != Finished) return;
        finishedFiles.push_back(file);
        if (onFinished) onFinished(file, hashMillis);
    }

    CXArchive& archive;
    FileCatalog& catalog;
    DuplicateIndex& duplicates;
    const FinishedHook& onFinished;
    ProgressRun& progress;
    std::vector<FileItem*> finishedFiles;
    uint64_t recordCount = 0;
};

}  // namespace

void StoreCatalog(CXArchive& archive, const FolderItem& root, ProgressIndicator& progress) {
    uint64_t totalFiles = root.CountFiles();
    ProgressRun run(progress, kWritingText, totalFiles);
    archive.StoreWord(uint32_t(totalFiles));

    // Depth first without recursion: a folder's record and sub-folder count go
    // out when it is entered, its file count and files when it is left.
    struct Frame {
        const FolderItem* folder;
        FolderItem::FolderSet::const_iterator nextChild;
    };
    StoreItemRecord(archive, root);
    archive.StoreWord(uint32_t(root.ChildFolders().size()));
    std::vector<Frame> pending{{&root, root.ChildFolders().begin()}};
    while (!pending.empty()) {
        Frame& top = pending.back();
        if (top.nextChild != top.folder->ChildFolders().end()) {
            const FolderItem* child = *top.nextChild++;
            StoreItemRecord(archive, *child);
            archive.StoreWord(uint32_t(child->ChildFolders().size()));
            pending.push_back({child, child->ChildFolders().begin()});
            continue;
        }
        const FolderItem* folder = top.folder;
        pending.pop_back();
        archive.StoreWord(uint32_t(folder->Files().size()));
        for (const FileItem* file : folder->Files()) {
            StoreFileRecord(archive, *file);
            run.Step();
        }
    }
}

void LoadCatalog(CXArchive& archive, FolderItem& root, FileCatalog& catalog, DuplicateIndex& duplicates,
                 const FinishedHook& onFinished, ProgressIndicator& progress, std::vector<FileItem*>* toIndex) {
    uint32_t totalFiles = archive.LoadWord();
    ProgressRun run(progress, kReadingText, totalFiles);
    CatalogLoader(archive, catalog, duplicates, onFinished, run).Load(root, toIndex);
}

const CatalogItem* FindUnstorableRecord(const FolderItem& root) {
    // Two single-byte searches: find_first_of would search its set once per byte of text.
    auto breaksLine = [](std::string_view text) {
        return text.find('\n') != std::string_view::npos || text.find('\r') != std::string_view::npos;
    };
    auto unstorable = [&](const CatalogItem& item) { return breaksLine(item.Name()) || breaksLine(item.AlternateName()); };
    std::vector<const FolderItem*> pending{&root};
    while (!pending.empty()) {
        const FolderItem* folder = pending.back();
        pending.pop_back();
        if (unstorable(*folder)) return folder;
        for (const FileItem* file : folder->Files())
            if (unstorable(*file) || breaksLine(file->DigestText())) return file;
        // Reversed, so that folders are searched in name order.
        pending.insert(pending.end(), folder->ChildFolders().rbegin(), folder->ChildFolders().rend());
    }
    return nullptr;
}

}  // namespace twinseek
