#include "cli/ApplyCommand.h"

#include "cli/CleanCommand.h"
#include "cli/CleanupOutput.h"
#include "cli/CliApp.h"
#include "catalog/TerminalText.h"
#include "platform/CXException.h"
#include "platform/CXFile.h"
#include "session/CleanupPlan.h"
#include "session/DiskFileRemover.h"
#include "session/FileDeletion.h"

#include <cstdio>
#include <string>
#include <vector>

namespace twinseek {

namespace {

void PrintError(const std::string& text) { std::fprintf(stderr, "twinseek-cli: %s\n", TerminalText(text).c_str()); }

// The whole text of the plan at path.
std::string ReadPlan(const std::string& path) {
    CXFile file;
    file.Open(path, CXFile::Access::Read, CXFile::Creation::OpenExisting);
    std::string text;
    char buffer[65536];
    while (const size_t got = file.Read(buffer, sizeof buffer)) text.append(buffer, got);
    file.Close();
    return text;
}

}  // namespace

int RunApply(const CliOptions& options) {
    const std::string& path = options.operands[0];
    std::string text;
    try {
        text = ReadPlan(path);
    } catch (const CXException& error) {
        PrintError("could not read " + path + ": " + (error.message.empty() ? "error " + std::to_string(error.cause)
                                                                             : error.message));
        return kExitFailure;
    }
    std::string error;
    const std::optional<CleanupPlan> plan = ParseCleanupPlan(text, error);
    if (!plan) {
        PrintError(path + ": " + error);
        return kExitFailure;
    }
    LocalPlan local = TakeToThisComputer(*plan, options.mappings);
    for (const std::string& problem : local.errors) PrintError("left out: " + problem);

    std::vector<PlanStep> steps = std::move(local.steps);
    const RemovalPlan removals(std::move(local.removals));
    DiskFileRemover remover;
    CleanupJournal journal;
    StatusLine status;
    bool cancelled = false;
    const std::vector<RemovalResult> results =
        RunRemovalPlan(removals, remover, plan->action, false, journal, CheckingProgress(status), cancelled);
    status.Clear();

    std::vector<Told> told;
    told.reserve(results.size());
    for (const RemovalResult& result : results) told.push_back(TellResult(result, plan->action));
    PrintCleanup(options, plan->action, steps, told);
    const size_t refused = PrintCleanupCount(plan->action, told);
    return refused == 0 && local.errors.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace twinseek
