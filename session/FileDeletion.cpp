#include "session/FileDeletion.h"

#include "catalog/FolderItem.h"
#include "catalog/TextFormat.h"
#include "platform/CXException.h"
#include "platform/PathProbe.h"
#include "session/AppSession.h"

#include <cerrno>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace twinseek {

namespace {

std::string SystemReason(int error) {
    std::string text = CXFileException::SystemMessage(error);
    return text.empty() ? "Error " + std::to_string(error) : text;
}

// Why the file at a path is no longer the one that was compared; empty when it still is.
std::string ChangeSinceCompared(const FileItem& file, const PathStatus& status) {
    if (status.link) return "Replaced by a link";
    if (status.directory) return "Replaced by a folder";
    if (!status.regular) return "No longer a regular file";
    if (status.size != file.Size()) return "Size changed since it was compared";
    if (status.lastWrite.Value() != file.LastWriteTime().Value()) return "Modified since it was compared";
    return {};
}

struct KeptCopy {
    uint64_t device;
    uint64_t inode;
    const FileItem* file;
};

// The copies of file's group that stay (not doomed) and exist, with where
// they are on disk; looked up once per group.
class KeptCopies {
public:
    KeptCopies(const DuplicateIndex& index, const std::unordered_set<const FileItem*>& doomed)
        : index(index), doomed(doomed) {}

    // A copy that stays and is the very file on disk that status describes.
    const FileItem* SameFileAs(const FileItem& file, const PathStatus& status) {
        DuplicateKeyText key = MakeDuplicateKey(file.Size(), file.digestText);
        DuplicateIndex::FileRange files = index.Files(key.CStr());
        if (files.first == files.second) return nullptr;
        auto [entry, made] = byGroup.try_emplace(*files.first);
        if (made)
            for (auto it = files.first; it != files.second; ++it) {
                if (doomed.contains(*it)) continue;
                PathStatus kept;
                if (ProbePath(std::string((*it)->GetFullPath()), kept) == 0)
                    entry->second.push_back({kept.device, kept.inode, *it});
            }
        for (const KeptCopy& copy : entry->second)
            if (copy.device == status.device && copy.inode == status.inode) return copy.file;
        return nullptr;
    }

private:
    const DuplicateIndex& index;
    const std::unordered_set<const FileItem*>& doomed;
    std::unordered_map<const FileItem*, std::vector<KeptCopy>> byGroup;
};

}  // namespace

void RemoveCheckedFiles(const DuplicateIndex& index, std::span<FileItem* const> doomed, FileRemover& remover,
                        RemovalMode mode, const DeletionProgress& keepGoing, DeletionReport& report) {
    const std::unordered_set<const FileItem*> leaving(doomed.begin(), doomed.end());
    KeptCopies kept(index, leaving);
    for (size_t done = 0; done < doomed.size(); ++done) {
        if (keepGoing && !keepGoing(done, doomed.size())) {
            report.cancelled = true;
            return;
        }
        const FileItem& file = *doomed[done];
        const std::string path(file.GetFullPath());
        PathStatus status;
        if (int error = ProbePath(path, status); error != 0) {
            // Gone already: nothing to remove, and it leaves the list like a removed file.
            if (error != ENOENT && error != ENOTDIR) report.failures.push_back({path, SystemReason(error)});
            continue;
        }
        if (std::string change = ChangeSinceCompared(file, status); !change.empty()) {
            report.failures.push_back({path, change});
            continue;
        }
        if (const FileItem* twin = kept.SameFileAs(file, status)) {
            report.failures.push_back(
                {path, "Same file on disk as " + std::string(twin->GetFullPath()) + ", which is kept"});
            continue;
        }
        int error = mode == RemovalMode::ToTrash ? remover.MoveToTrash(path) : remover.RemovePermanently(path);
        if (error != 0)
            report.failures.push_back({path, SystemReason(error)});
        else if (PathExists(path))
            report.failures.push_back({path, "Still there after it was removed"});
        else
            ++report.removed;
    }
}

std::string DescribeFailures(std::span<const DeletionFailure> failures, size_t maxListed) {
    if (failures.empty()) return {};
    std::string text = failures.size() == 1 ? std::string("1 file could not be removed:\n")
                                            : std::to_string(failures.size()) + " files could not be removed:\n";
    for (size_t i = 0; i < failures.size() && i < maxListed; ++i)
        text.append("\n").append(failures[i].path).append(": ").append(failures[i].reason);
    if (failures.size() > maxListed)
        text.append("\n\nand ").append(std::to_string(failures.size() - maxListed)).append(" more.");
    return text;
}

}  // namespace twinseek
