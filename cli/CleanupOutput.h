// What clean and apply print: one line per planned file (what was done to
// it, or why not), or the plan as JSON with each file's outcome; and the
// count on standard error.
#pragma once

#include "cli/CliOptions.h"
#include "session/CheckedRemoval.h"
#include "session/CleanupPlan.h"

#include <span>
#include <string>

namespace twinseek {

// What became of a planned file, in one word, and the copy it was checked against.
struct Told {
    std::string outcome;
    std::string reason;
    std::string checkedAgainst;
    bool byDigest = false;
};

Told TellResult(const RemovalResult& result, CleanupAction action);

// Prints the steps with what was told of each (told[i] of steps[i]).
void PrintCleanup(const CliOptions& options, CleanupAction action, std::span<const PlanStep> steps,
                  std::span<const Told> told);

// "Cleaned: 3 trashed, 1 refused" on standard error; the count of refused steps.
size_t PrintCleanupCount(CleanupAction action, std::span<const Told> told);

}  // namespace twinseek
