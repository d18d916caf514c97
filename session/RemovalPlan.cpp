#include "session/RemovalPlan.h"

#include "catalog/AnchoredPathOf.h"
#include "catalog/TextFormat.h"
#include "document/Document.h"
#include "platform/CXException.h"
#include "platform/FindData.h"

#include <algorithm>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace twinseek {

namespace {

std::string SystemReason(int error) {
    std::string text = CXFileException::SystemMessage(error);
    return text.empty() ? "Error " + std::to_string(error) : text;
}

// The last-write time of a stamp in a record's 100-ns units.
uint64_t RecordTime(const DiskStamp& stamp) {
    int64_t whole = stamp.writeNanos / 1000000000;
    int64_t nanos = stamp.writeNanos % 1000000000;
    if (nanos < 0) {
        nanos += 1000000000;
        --whole;
    }
    return FileTime::FromUnix(whole, uint32_t(nanos)).Value();
}

// Why what stands at a file's place is not the file as it was recorded; empty when it is.
std::string ChangeSinceRecorded(const CheckedFile& file, const EntryLook& entry) {
    if (S_ISLNK(entry.mode)) return "Replaced by a link";
    if (S_ISDIR(entry.mode)) return "Replaced by a folder";
    if (!S_ISREG(entry.mode)) return "No longer a regular file";
    if (entry.stamp.size != file.size) return "Size changed since it was compared";
    if (RecordTime(entry.stamp) != file.lastWrite) return "Modified since it was compared";
    // Inode and change time: a rewrite whose write time was put back, or
    // another file moved into its place.
    if (file.stamp && entry.stamp != *file.stamp) return "Modified since it was compared";
    return {};
}

}  // namespace

FileLook LookAtFile(const CheckedFile& file, FolderOpening& opening) {
    FileLook look;
    opening = OpenAnchoredFolder(file.where);
    switch (opening.state) {
    case PathState::Present: break;
    case PathState::Gone: look.condition = FileCondition::Gone; return look;
    case PathState::NotOnThisComputer:
        look.condition = FileCondition::NotOnThisComputer;
        look.reason = kNotOnThisComputer;
        return look;
    case PathState::LinkOnPath:
        look.reason = "A folder on its path is now a link: " + opening.linkedFolder;
        return look;
    case PathState::Unreachable:
        look.reason = SystemReason(opening.error);
        return look;
    }
    look.entry = LookAtEntry(opening.folder.Get(), file.where.name);
    if (look.entry.state == PathState::Gone) {
        look.condition = FileCondition::Gone;
    } else if (look.entry.state != PathState::Present) {
        look.reason = SystemReason(look.entry.error);
    } else if (look.reason = ChangeSinceRecorded(file, look.entry); !look.reason.empty()) {
        look.condition = FileCondition::Changed;
    } else {
        look.condition = FileCondition::AsRecorded;
    }
    return look;
}

FileLook LookAtFile(const CheckedFile& file) {
    FolderOpening opening;
    return LookAtFile(file, opening);
}

CheckedFile DescribeForCheck(const Document& document, FileItem& record) {
    CheckedFile file;
    file.record = &record;
    file.path = record.GetFullPath();
    file.where = AnchoredPathOf(record);
    file.size = record.Size();
    file.lastWrite = record.LastWriteTime().Value();
    if (const DiskStamp* stamp = document.stamps.Find(&record)) file.stamp = *stamp;
    if (record.compareState.load(std::memory_order_relaxed) == Finished) file.digest = record.DigestText();
    return file;
}

RemovalPlan::RemovalPlan(std::vector<PlannedRemoval> planned) {
    std::unordered_map<std::string, size_t> groupOf;
    std::unordered_set<std::string> listed;
    for (PlannedRemoval& step : planned) {
        if (!listed.insert(step.file.path).second) continue;
        auto [place, made] = groupOf.try_emplace(step.keep.path, groups.size());
        if (made) {
            Group& group = groups.emplace_back();
            group.keptCopies.push_back(std::move(step.keep));
            group.digestStandsForCopiesElsewhere = true;
        }
        totalBytes += step.file.size;
        removals.push_back({std::move(step.file), place->second});
    }
}

RemovalPlan::RemovalPlan(const Document& document, std::span<FileItem* const> doomed) {
    const std::unordered_set<const FileItem*> leaving(doomed.begin(), doomed.end());
    // Groups by the first file of their key; a file in no group is a group of its own.
    std::unordered_map<const FileItem*, size_t> groupOf;
    std::unordered_set<const FileItem*> listed;
    for (FileItem* record : doomed) {
        if (!listed.insert(record).second) continue;
        const bool grouped = document.duplicates.Contains(record);
        DuplicateIndex::FileRange files;
        if (grouped) files = document.duplicates.Files(MakeDuplicateKey(record->Size(), record->digestText).CStr());
        const FileItem* first = grouped ? *files.first : record;
        auto [place, made] = groupOf.try_emplace(first, groups.size());
        if (made) {
            Group& group = groups.emplace_back();
            if (grouped)
                for (auto it = files.first; it != files.second; ++it)
                    if (!leaving.contains(*it)) group.keptCopies.push_back(DescribeForCheck(document, **it));
        }
        removals.push_back({DescribeForCheck(document, *record), place->second});
        totalBytes += record->Size();
    }
}

size_t RemovalPlan::LookForKeptCopies() {
    size_t without = 0;
    for (Group& group : groups) {
        group.keepsNoCopy = std::none_of(group.keptCopies.begin(), group.keptCopies.end(), [](const CheckedFile& copy) {
            return LookAtFile(copy).condition == FileCondition::AsRecorded;
        });
        if (group.keepsNoCopy) ++without;
    }
    return without;
}

std::vector<std::string> RemovalPlan::FilesOfGroupsWithoutCopy(size_t limit) const {
    std::vector<std::string> paths;
    for (const Removal& removal : removals) {
        if (paths.size() == limit) break;
        if (groups[removal.group].keepsNoCopy) paths.push_back(removal.file.path);
    }
    return paths;
}

}  // namespace twinseek
