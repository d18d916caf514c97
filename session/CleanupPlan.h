// A cleanup decided on one computer and carried to the one that holds the
// files: each file to act on and the copy its group keeps, with the size,
// last-write time and digest of both and the folder each one's scan began
// in; written as JSON by clean --dry-run, read back by apply.
#pragma once

#include "catalog/PathMap.h"
#include "session/CleanupAction.h"
#include "session/RemovalPlan.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek {

class FileItem;

struct PlanFile {
    std::string path;
    std::string anchor;  // the folder its scan began in; "/" when the plan does not say
    uint64_t size = 0;
    int64_t writeNanos = 0;  // last-write time, nanoseconds since 1970 UTC
    std::string digest;      // empty when it has none
};

struct PlanStep {
    PlanFile file;
    PlanFile keep;
};

struct CleanupPlan {
    CleanupAction action = CleanupAction::Trash;
    std::vector<PlanStep> steps;
};

PlanFile DescribeForPlan(const FileItem& file);

// The members of a file's plan object, "path" to "digest", without braces.
void AppendPlanFileMembers(std::string& out, const PlanFile& file);

// Reads what AppendPlanFileMembers wrote, inside {"action": ..., "files":
// [{..., "keep": {...}}, ...]}; other members are passed over. None, with
// error, when the text is not such a plan.
std::optional<CleanupPlan> ParseCleanupPlan(std::string_view json, std::string& error);

// The planned steps as this computer's checks take them: each path, and its
// anchor, taken back by the mapping that holds it (the longest); a file
// planned twice is taken once. steps[i] is removals[i] as the plan tells it,
// with this computer's paths and anchors.
struct LocalPlan {
    std::vector<PlannedRemoval> removals;
    std::vector<PlanStep> steps;
    std::vector<std::string> errors;  // steps left out: a path not below its anchor
};
LocalPlan TakeToThisComputer(const CleanupPlan& plan, std::span<const PathMapping> mappings);

}  // namespace twinseek
