// What a run of removals is to check and do, built on the user interface
// thread from the ticked records as plain data, so that the thread that checks
// and removes the files touches no record: each ticked file with the copies of
// its group that stay, and which groups would keep no copy on disk.
#pragma once

#include "platform/AnchoredPath.h"
#include "platform/DiskStamp.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace twinseek {

class Document;
class FileItem;

// A catalogued file as the checks need it.
struct CheckedFile {
    FileItem* record = nullptr;  // for the user interface thread afterwards, never read by the worker
    std::string path;
    AnchoredPath where;
    uint64_t size = 0;
    uint64_t lastWrite = 0;          // the record's last-write time (100-ns units)
    std::optional<DiskStamp> stamp;  // how this run saw the file, when it did
    std::string digest;              // its digest text as compared, when it was
};

// A file to act on and the copy its group keeps, as a plan made elsewhere names them.
struct PlannedRemoval {
    CheckedFile file;
    CheckedFile keep;
};

// What the disk holds for a catalogued file now, without reading it.
// NotOnThisComputer: the folder its scan began in is not here at all.
enum class FileCondition { AsRecorded, Gone, Changed, NotOnThisComputer, Unreachable };
inline constexpr char kNotOnThisComputer[] = "Not on this computer";

struct FileLook {
    FileCondition condition = FileCondition::Unreachable;
    std::string reason;  // why it is not as recorded, for a message
    EntryLook entry;     // when the entry was found
};
// Opens file's folder the way the removal does and looks at its entry: a
// regular file of its record's size and last-write time, and of its stamp
// when it has one.
FileLook LookAtFile(const CheckedFile& file, FolderOpening& opening);
FileLook LookAtFile(const CheckedFile& file);

class RemovalPlan {
public:
    struct Group {
        std::vector<CheckedFile> keptCopies;  // not ticked, in the group's order
        bool keepsNoCopy = false;             // set by LookForKeptCopies
        // A copy that stays and is not on this computer counts when the file
        // to act on is read and found to have the digest both were planned with.
        bool digestStandsForCopiesElsewhere = false;
    };
    struct Removal {
        CheckedFile file;
        size_t group;
    };

    // doomed: the ticked records in the order they are to go; each listed once.
    RemovalPlan(const Document& document, std::span<FileItem* const> doomed);
    // From a plan made elsewhere: each file, listed once, in a group of its
    // own kept copy, which its digest stands for where it is not on this
    // computer. No record is involved.
    explicit RemovalPlan(std::vector<PlannedRemoval> planned);

    // Looks at every copy that stays: a group none of whose copies that stay is
    // on disk as recorded (every copy ticked, or the others gone or changed)
    // keeps no copy. Returns how many groups do not.
    size_t LookForKeptCopies();
    // Paths of ticked files in groups that keep no copy, at most limit.
    std::vector<std::string> FilesOfGroupsWithoutCopy(size_t limit) const;

    const std::vector<Removal>& Removals() const { return removals; }
    const std::vector<Group>& Groups() const { return groups; }
    uint64_t TotalBytes() const { return totalBytes; }

private:
    std::vector<Removal> removals;
    std::vector<Group> groups;
    uint64_t totalBytes = 0;
};

CheckedFile DescribeForCheck(const Document& document, FileItem& record);

}  // namespace twinseek
