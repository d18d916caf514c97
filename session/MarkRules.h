// The rules that mark the copies of duplicate groups: which one file of each
// group stays unticked (the newest, the oldest, ...), and the reference folders
// whose files are never ticked. Both front ends decide through them.
#pragma once

#include "catalog/DuplicateIndex.h"
#include "catalog/FileItem.h"

#include <compare>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek {

enum class KeepRule {
    Newest,      // latest modification time
    Oldest,      // earliest modification time
    Shortest,    // shortest full path
    Shallowest,  // fewest folders in the path
    First,       // first in the group's own order
    InFolder,    // under the chosen folder
};

struct MarkRules {
    KeepRule keep = KeepRule::Oldest;
    // The folder whose file stays, for KeepRule::InFolder.
    std::string keepFolder;
    // Folders whose files are never ticked.
    std::vector<std::string> referenceFolders;
};

// "newest", "oldest", "shortest", "shallowest", "first", "folder": the names
// the settings keep and the command line takes.
std::string_view KeepRuleName(KeepRule rule);
std::optional<KeepRule> KeepRuleNamed(std::string_view name);

// Decides group by group. A group with a file under a reference folder keeps
// every such file and ticks the others; any other group keeps the one file the
// rule picks. Ties go to the file whose full path comes first byte-wise, so
// the same rules on the same groups always tick the same files.
class CopyMarker {
public:
    // Folders are taken as absolute paths worked out from their text, as the
    // catalogue's paths are; empty ones are ignored.
    explicit CopyMarker(const MarkRules& rules);

    // files: one group in its own order. For each file, whether to tick it;
    // empty when the rules leave the group as it is (the kept folder holds
    // none of its files). Valid until the next call.
    const std::vector<bool>& Mark(std::span<FileItem* const> files);

private:
    // Below zero when a should stay rather than b by the rule alone.
    std::strong_ordering RuleOrder(const FileItem& a, const FileItem& b) const;
    // The index of the file that stays; files.size() for none.
    size_t KeptFile(std::span<FileItem* const> files) const;

    KeepRule keep;
    std::string keepFolder;
    std::vector<std::string> referenceFolders;
    std::vector<bool> ticks;
};

// The files to tick in every group of the index (a key holding two or more
// files), group after group in the index's order.
std::vector<FileItem*> FilesToTick(const DuplicateIndex& index, const MarkRules& rules);

// Orders two files by their full paths byte-wise (<0, 0, >0), without
// building the paths.
int CompareFullPaths(const FileItem& a, const FileItem& b);
// Whether the file lies in folder (an absolute path) or anywhere below it.
bool IsUnderFolder(const FileItem& file, std::string_view folder);

}  // namespace twinseek
