#include "cli/CleanCommand.h"

#include "catalog/JsonText.h"
#include "catalog/TextFormat.h"
#include "cli/CliApp.h"
#include "cli/CliSession.h"
#include "cli/StatusLine.h"
#include "catalog/TerminalText.h"
#include "session/CheckedRemoval.h"
#include "session/CleanupUndo.h"
#include "session/DiskFileRemover.h"
#include "session/FileDeletion.h"

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace twinseek {

namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpochInFileTime = 116444736000000000LL;

int64_t WriteNanos(const FileItem& file) {
    return (int64_t(file.LastWriteTime().Value()) - kUnixEpochInFileTime) * 100;
}

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

void AppendFileJson(std::string& out, const FileItem& file) {
    out += "{\"path\": ";
    AppendJsonString(out, file.GetFullPath());
    out += ", \"size\": " + std::to_string(file.Size()) + ", \"mtime_ns\": " + std::to_string(WriteNanos(file)) +
           ", \"digest\": ";
    AppendJsonString(out, file.DigestText());
}

// What became of a planned file, in one word, and the copy it was checked against.
struct Told {
    const char* outcome;
    std::string reason;
    std::string checkedAgainst;
};

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

void Print(const CliOptions& options, const std::vector<PlannedFile>& planned, const std::vector<Told>& told) {
    std::string out;
    const std::string_view action = ActionName(options.action);
    if (options.format == OutputFormat::Json) {
        out = "{\"action\": \"" + std::string(action) + "\", \"dry_run\": " + (options.dryRun ? "true" : "false") +
              ", \"files\": [";
        for (size_t i = 0; i < planned.size(); ++i) {
            out += i == 0 ? "\n  " : ",\n  ";
            AppendFileJson(out, *planned[i].file);
            out += ", \"keep\": ";
            AppendFileJson(out, *planned[i].keeps);
            out += "}, \"outcome\": \"" + std::string(told[i].outcome) + "\"";
            if (!told[i].reason.empty()) AppendJsonString(out += ", \"reason\": ", told[i].reason);
            if (!told[i].checkedAgainst.empty()) AppendJsonString(out += ", \"checked_against\": ", told[i].checkedAgainst);
            out += "}";
        }
        out += planned.empty() ? "]}\n" : "\n]}\n";
    } else {
        for (size_t i = 0; i < planned.size(); ++i) {
            const std::string path = TerminalText(planned[i].file->GetFullPath());
            if (options.dryRun)
                out += std::string(action) + " " + path + "  (keeps " + TerminalText(planned[i].keeps->GetFullPath()) + ")\n";
            else if (told[i].reason.empty())
                out += std::string(told[i].outcome) + " " + path +
                       (told[i].checkedAgainst.empty() ? "" : "  (same bytes as " + TerminalText(told[i].checkedAgainst) + ")") +
                       "\n";
            else
                out += std::string(told[i].outcome) + " " + path + ": " + TerminalText(told[i].reason) + "\n";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int RunClean(const CliOptions& options, CliSession& session) {
    Document& document = session.Doc();
    const std::vector<PlannedFile> planned = Plan(document, *options.keep);
    std::vector<Told> told(planned.size(), Told{options.dryRun ? "planned" : "not reached", {}, {}});
    if (options.dryRun) {
        Print(options, planned, told);
        return kExitSuccess;
    }
    std::vector<FileItem*> doomed;
    for (const PlannedFile& file : planned) doomed.push_back(file.file);
    DiskFileRemover remover;
    CleanupJournal journal;
    StatusLine status;
    DeletionHooks hooks;
    hooks.keepGoing = [&](size_t filesDone, size_t files, uint64_t bytesDone, uint64_t bytes) {
        status.Show("Checking " + std::to_string(filesDone) + "/" + std::to_string(files) + " files, " +
                    FormatSizeWithUnit(bytesDone).CStr() + " of " + FormatSizeWithUnit(bytes).CStr());
        return true;
    };
    const DeletionReport report = RemoveDuplicates(document, doomed, remover, options.action, journal, hooks);
    status.Clear();

    // What became of each planned file, told from the report.
    std::unordered_map<const FileItem*, size_t> indexOf;
    for (size_t i = 0; i < planned.size(); ++i) indexOf[planned[i].file] = i;
    for (const auto& [file, kept] : report.replacedBy)
        told[indexOf[file]] = {Done(options.action), {}, std::string(kept->GetFullPath())};
    for (FileItem* file : report.gone) told[indexOf[file]] = {"gone", "no longer there", {}};
    for (size_t i = 0; i < report.removedFiles.size(); ++i)
        told[indexOf[report.removedFiles[i].first]] = {Done(options.action), {}, report.removedFiles[i].second};
    std::unordered_map<std::string, size_t> byPath;
    for (size_t i = 0; i < planned.size(); ++i) byPath[std::string(planned[i].file->GetFullPath())] = i;
    // Without a question to ask, a file whose group would keep no copy is refused.
    std::vector<DeletionFailure> refused = report.failures;
    refused.insert(refused.end(), report.keptForLastCopy.begin(), report.keptForLastCopy.end());
    for (const DeletionFailure& failure : refused) told[byPath[failure.path]] = {"refused", failure.reason, {}};

    Print(options, planned, told);
    std::fprintf(stderr, "Cleaned: %zu %s, %zu refused\n", report.removed + report.replaced, Done(options.action),
                 refused.size());
    ApplyCleanupToDocument(document, report, options.action);
    bool saved = true;
    if (options.savePath) {
        saved = session.App().SaveTo(*options.savePath);
        for (const std::string& error : session.Prompts().TakeErrors())
            std::fprintf(stderr, "twinseek-cli: %s\n", TerminalText(error).c_str());
    }
    return refused.empty() && saved ? kExitSuccess : kExitFailure;
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
