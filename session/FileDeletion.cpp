#include "session/FileDeletion.h"

#include "document/Document.h"

#include <chrono>

namespace twinseek {

namespace {

// How often the caller hears of the run's progress.
constexpr std::chrono::milliseconds kProgressInterval{20};
// Files of groups without a copy named in the question.
constexpr size_t kQuestionExamples = 5;

}  // namespace

std::vector<RemovalResult> RunRemovalPlan(const RemovalPlan& plan, FileRemover& remover, CleanupAction action,
                                          bool removeLastCopies, CleanupJournal& journal, const DeletionHooks& hooks,
                                          bool& cancelled) {
    CheckedRemoval run(plan, remover, action, removeLastCopies, journal);
    const size_t files = plan.Removals().size();
    if (!run.Start()) {
        // No thread to be had: the work is done here, without progress.
        run.Run();
    } else {
        while (!run.WaitFor(kProgressInterval))
            if (hooks.keepGoing && !run.Cancelled() &&
                !hooks.keepGoing(run.FilesDone(), files, run.BytesDone(), plan.TotalBytes()))
                run.Cancel();
    }
    cancelled = run.Cancelled();
    return run.Results();
}

DeletionReport RemoveDuplicates(const Document& document, std::span<FileItem* const> doomed, FileRemover& remover,
                                CleanupAction action, CleanupJournal& journal, const DeletionHooks& hooks) {
    DeletionReport report;
    RemovalPlan plan(document, doomed);
    bool removeLastCopies = false;
    // Only a removal can leave a group without a copy.
    if (RemovesFile(action))
        if (const size_t without = plan.LookForKeptCopies(); without != 0 && hooks.removeLastCopies)
            removeLastCopies = hooks.removeLastCopies(without, plan.FilesOfGroupsWithoutCopy(kQuestionExamples));

    report.results = RunRemovalPlan(plan, remover, action, removeLastCopies, journal, hooks, report.cancelled);
    for (size_t index = 0; index < report.results.size(); ++index) {
        RemovalResult& result = report.results[index];
        const CheckedFile& file = plan.Removals()[index].file;
        switch (result.outcome) {
        case RemovalOutcome::Removed:
            ++report.removed;
            report.gone.push_back(file.record);
            report.removedFiles.emplace_back(file.record, result.checkedAgainst);
            break;
        case RemovalOutcome::Replaced:
            ++report.replaced;
            report.replacedBy.emplace_back(file.record, result.keptCopy->record);
            break;
        case RemovalOutcome::Gone: report.gone.push_back(file.record); break;
        case RemovalOutcome::Refused: report.failures.push_back({file.path, result.reason}); break;
        case RemovalOutcome::KeptLastCopy:
            ++report.keptLastCopies;
            result.reason = "No copy that stays is on disk as it was compared";
            report.keptForLastCopy.push_back({file.path, result.reason});
            break;
        case RemovalOutcome::NotReached: break;
        }
        result.keptCopy = nullptr;
    }
    return report;
}

void ApplyCleanupToDocument(Document& document, const DeletionReport& report, CleanupAction action) {
    for (const auto& [file, kept] : report.replacedBy)
        document.TakeReplacement(file, kept, action == CleanupAction::HardLink);
    if (!report.gone.empty())
        document.DiscardRecords(report.gone);
    else if (!report.replacedBy.empty())
        document.UpdateAllViews();
}

std::string LastCopiesQuestion(size_t groups, const std::vector<std::string>& someFiles) {
    std::string text = groups == 1 ? std::string("1 group would keep no copy on disk: every copy of it")
                                   : std::to_string(groups) + " groups would keep no copy on disk: every copy of each";
    text += " is ticked, or the copies that stay are gone, changed since they were compared, or not on this "
            "computer.\n";
    for (const std::string& path : someFiles) text.append("\n").append(path);
    text += "\n\nRemove these files all the same? No copy of their contents may be left.";
    return text;
}

std::string DescribeFailures(std::span<const DeletionFailure> failures, size_t maxListed, std::string_view couldNot) {
    if (failures.empty()) return {};
    std::string text = (failures.size() == 1 ? std::string("1 file ") : std::to_string(failures.size()) + " files ") +
                       std::string(couldNot) + ":\n";
    for (size_t i = 0; i < failures.size() && i < maxListed; ++i)
        text.append("\n").append(failures[i].path).append(": ").append(failures[i].reason);
    if (failures.size() > maxListed)
        text.append("\n\nand ").append(std::to_string(failures.size() - maxListed)).append(" more.");
    return text;
}

}  // namespace twinseek
