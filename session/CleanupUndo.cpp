#include "session/CleanupUndo.h"

#include "platform/AnchoredPath.h"
#include "platform/CXException.h"
#include "platform/FreedesktopTrash.h"

namespace twinseek {

namespace {

std::string SystemReason(int error) {
    std::string text = CXFileException::SystemMessage(error);
    return text.empty() ? "Error " + std::to_string(error) : text;
}

// A replaced file made a file of its own again, at its path as it stands now.
std::string Separate(const JournaledStep& step) {
    const size_t slash = step.path.rfind('/');
    if (slash == std::string::npos || !step.metadata) return "The journal does not say what the file was";
    const std::string folderPath = slash == 0 ? "/" : step.path.substr(0, slash);
    FolderOpening folder = OpenAnchoredFolder({folderPath, {}, step.path.substr(slash + 1)});
    // The file's own folder is the anchor here: without it the file is not there.
    const bool notThere = folder.state == PathState::Gone || folder.state == PathState::NotOnThisComputer;
    if (folder.state != PathState::Present) return notThere ? "No longer there" : SystemReason(folder.error);
    const std::string name = step.path.substr(slash + 1);
    const EntryLook entry = LookAtEntry(folder.folder.Get(), name);
    if (entry.state != PathState::Present) return entry.state == PathState::Gone ? "No longer there" : SystemReason(entry.error);
    if (!entry.IsRegularFile()) return "No longer a regular file";
    const ReplacementOutcome separated =
        MakeSeparateCopy({folder.folder.Get(), name, entry.stamp.identity}, *step.metadata);
    if (separated.error == 0) return {};
    return separated.reason.empty() ? SystemReason(separated.error) : separated.reason;
}

}  // namespace

UndoReport UndoLastCleanup(CleanupJournal& journal) {
    UndoReport report;
    std::optional<JournaledRun> run = journal.LastRun(report.journalError);
    if (!run) return report;
    report.found = true;
    report.time = run->time;
    report.action = run->action;
    if (run->action == CleanupAction::Delete) return report;
    // Last step first, so that a file replaced twice ends as it first was.
    for (auto step = run->steps.rbegin(); step != run->steps.rend(); ++step) {
        if (run->action == CleanupAction::Trash) {
            const RestoreOutcome back = RestoreFromTrash(step->trashFolder, step->trashName);
            if (back.error != 0)
                report.failures.push_back({step->path, back.reason});
            else if (back.restoredPath != step->path)
                report.besideTaken.emplace_back(step->path, back.restoredPath);
            else
                report.restored.push_back(back.restoredPath);
            continue;
        }
        if (std::string problem = Separate(*step); !problem.empty())
            report.failures.push_back({step->path, problem});
        else
            report.restored.push_back(step->path);
    }
    journal.MarkUndone(run->id);
    return report;
}

std::string DescribeUndo(const UndoReport& report, size_t maxListed) {
    if (report.journalError != 0) return "The cleanup journal cannot be read: " + SystemReason(report.journalError);
    if (!report.found) return "There is no cleanup to undo.";
    if (report.action == CleanupAction::Delete)
        return "The last cleanup (" + report.time + ") removed its files for good: they cannot be brought back.";
    const size_t back = report.restored.size() + report.besideTaken.size();
    std::string text = (back == 1 ? std::string("1 file is back") : std::to_string(back) + " files are back") +
                       " from the cleanup of " + report.time + ".";
    if (!report.besideTaken.empty()) {
        text += "\n\nThese paths were taken again, so the files came back beside them:\n";
        for (size_t i = 0; i < report.besideTaken.size() && i < maxListed; ++i)
            text.append("\n").append(report.besideTaken[i].first).append(" -> ").append(report.besideTaken[i].second);
    }
    if (!report.failures.empty())
        text += "\n\n" + DescribeFailures(report.failures, maxListed, "could not be brought back");
    return text;
}

}  // namespace twinseek
