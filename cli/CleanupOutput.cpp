#include "cli/CleanupOutput.h"

#include "catalog/JsonText.h"
#include "catalog/TerminalText.h"

#include <algorithm>
#include <cstdio>

namespace twinseek {

namespace {

// The past tense of the action, as the text output says it.
const char* Done(CleanupAction action) {
    switch (action) {
    case CleanupAction::Trash: return "trashed";
    case CleanupAction::Delete: return "removed";
    case CleanupAction::HardLink: return "linked";
    case CleanupAction::Clone: return "cloned";
    }
    return "";
}

std::string Checked(const Told& told) {
    if (told.checkedAgainst.empty()) return {};
    return told.byDigest ? "  (its SHA-1 is that of " + TerminalText(told.checkedAgainst) + ", not on this computer)"
                         : "  (same bytes as " + TerminalText(told.checkedAgainst) + ")";
}

}  // namespace

Told TellResult(const RemovalResult& result, CleanupAction action) {
    switch (result.outcome) {
    case RemovalOutcome::Removed:
    case RemovalOutcome::Replaced: return {Done(action), {}, result.checkedAgainst, result.byDigest};
    case RemovalOutcome::Gone: return {"gone", "no longer there", {}, false};
    case RemovalOutcome::Refused:
    case RemovalOutcome::KeptLastCopy: return {"refused", result.reason, {}, false};
    case RemovalOutcome::NotReached: break;
    }
    return {"not reached", {}, {}, false};
}

void PrintCleanup(const CliOptions& options, CleanupAction action, std::span<const PlanStep> steps,
                  std::span<const Told> told) {
    std::string out;
    const std::string_view name = ActionName(action);
    if (options.format == OutputFormat::Json) {
        out = "{\"action\": \"" + std::string(name) + "\", \"dry_run\": " + (options.dryRun ? "true" : "false") +
              ", \"files\": [";
        for (size_t i = 0; i < steps.size(); ++i) {
            out += i == 0 ? "\n  {" : ",\n  {";
            AppendPlanFileMembers(out, steps[i].file);
            AppendPlanFileMembers(out += ", \"keep\": {", steps[i].keep);
            out += "}, \"outcome\": \"" + told[i].outcome + "\"";
            if (!told[i].reason.empty()) AppendJsonString(out += ", \"reason\": ", told[i].reason);
            if (!told[i].checkedAgainst.empty())
                AppendJsonString(out += ", \"checked_against\": ", told[i].checkedAgainst);
            if (told[i].byDigest) out += ", \"by_digest\": true";
            out += "}";
        }
        out += steps.empty() ? "]}\n" : "\n]}\n";
    } else {
        for (size_t i = 0; i < steps.size(); ++i) {
            const std::string path = TerminalText(steps[i].file.path);
            if (options.dryRun)
                out += std::string(name) + " " + path + "  (keeps " + TerminalText(steps[i].keep.path) + ")\n";
            else if (told[i].reason.empty())
                out += told[i].outcome + " " + path + Checked(told[i]) + "\n";
            else
                out += told[i].outcome + " " + path + ": " + TerminalText(told[i].reason) + "\n";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

size_t PrintCleanupCount(CleanupAction action, std::span<const Told> told) {
    const std::string done = Done(action);
    const auto count = [&](const std::string& outcome) {
        return size_t(std::count_if(told.begin(), told.end(), [&](const Told& one) { return one.outcome == outcome; }));
    };
    const size_t refused = count("refused");
    std::fprintf(stderr, "Cleaned: %zu %s, %zu refused\n", count(done), done.c_str(), refused);
    return refused;
}

}  // namespace twinseek
