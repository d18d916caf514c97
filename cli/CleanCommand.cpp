#include "cli/CleanCommand.h"

#include "catalog/TextFormat.h"
#include "cli/CleanupOutput.h"
#include "cli/CliApp.h"
#include "cli/CliSession.h"
#include "cli/StatusLine.h"
#include "catalog/TerminalText.h"
#include "session/CheckedRemoval.h"
#include "session/CleanupPlan.h"
#include "session/CleanupUndo.h"
#include "session/DiskFileRemover.h"

#include <cstdio>
#include <string>
#include <vector>

namespace twinseek {

namespace {

// Each file the rules tick, in the groups' order, with the file its group keeps.
struct PlannedFile {
    FileItem* file;
    FileItem* keeps;
};

std::vector<PlannedFile> Plan(const Document& document, const MarkRules& rules) {
    std::vector<PlannedFile> planned;
    CopyMarker marker(rules);
    std::vector<FileItem*> group;
    document.duplicates.ForEachDuplicateGroup([&](uint64_t, DuplicateIndex::FileRange files) {
        group.assign(files.first, files.second);
        const std::vector<bool>& ticks = marker.Mark(group);
        if (ticks.empty()) return;
        FileItem* keeps = nullptr;
        for (size_t i = 0; i < group.size() && !keeps; ++i)
            if (!ticks[i]) keeps = group[i];
        if (!keeps) return;  // the rules never tick a whole group; should they, nothing goes
        for (size_t i = 0; i < group.size(); ++i)
            if (ticks[i]) planned.push_back({group[i], keeps});
    });
    return planned;
}

}  // namespace

int RunClean(const CliOptions& options, CliSession& session) {
    Document& document = session.Doc();
    const std::vector<PlannedFile> planned = Plan(document, *options.keep);
    std::vector<PlanStep> steps;
    steps.reserve(planned.size());
    for (const PlannedFile& file : planned)
        steps.push_back({DescribeForPlan(*file.file), DescribeForPlan(*file.keeps)});
    std::vector<Told> told(planned.size(), Told{options.dryRun ? "planned" : "not reached", {}, {}, false});
    if (options.dryRun) {
        PrintCleanup(options, options.action, steps, told);
        return kExitSuccess;
    }
    std::vector<FileItem*> doomed;
    for (const PlannedFile& file : planned) doomed.push_back(file.file);
    DiskFileRemover remover;
    CleanupJournal journal;
    StatusLine status;
    const DeletionReport report =
        RemoveDuplicates(document, doomed, remover, options.action, journal, CheckingProgress(status));
    status.Clear();

    // Each ticked file is in one group only, so the plan's removals are the planned files in order.
    for (size_t i = 0; i < report.results.size(); ++i) told[i] = TellResult(report.results[i], options.action);
    PrintCleanup(options, options.action, steps, told);
    const size_t refused = PrintCleanupCount(options.action, told);
    ApplyCleanupToDocument(document, report, options.action);
    bool saved = true;
    if (options.savePath) {
        saved = session.App().SaveTo(*options.savePath);
        for (const std::string& error : session.Prompts().TakeErrors())
            std::fprintf(stderr, "twinseek-cli: %s\n", TerminalText(error).c_str());
    }
    return refused == 0 && saved ? kExitSuccess : kExitFailure;
}

DeletionHooks CheckingProgress(StatusLine& status) {
    DeletionHooks hooks;
    hooks.keepGoing = [&status](size_t filesDone, size_t files, uint64_t bytesDone, uint64_t bytes) {
        status.Show("Checking " + std::to_string(filesDone) + "/" + std::to_string(files) + " files, " +
                    FormatSizeWithUnit(bytesDone).CStr() + " of " + FormatSizeWithUnit(bytes).CStr());
        return true;
    };
    return hooks;
}

int RunUndo() {
    CleanupJournal journal;
    const UndoReport report = UndoLastCleanup(journal);
    // Line by line, so that only what a name holds is escaped.
    const std::string text = DescribeUndo(report) + "\n";
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        std::printf("%s\n", TerminalText(text.substr(start, end - start)).c_str());
    return report.journalError == 0 && report.failures.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace twinseek
