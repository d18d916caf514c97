#include "cli/CliApp.h"

#include "cli/ApplyCommand.h"
#include "cli/CleanCommand.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "cli/CompareRun.h"
#include "session/GroupReport.h"
#include "cli/MergeCommand.h"
#include "cli/RefreshReport.h"
#include "cli/ScanWaiter.h"
#include "cli/SkipReport.h"
#include "cli/StatusLine.h"
#include "catalog/TerminalText.h"
#include "cli/UnreadableFile.h"
#include "compare/CandidateQueueing.h"
#include "compare/CandidateScreening.h"
#include "catalog/ScannedRoots.h"
#include "catalog/SizeCategory.h"
#include "compare/FileDigest.h"
#include "platform/CXException.h"
#include "platform/FullPath.h"
#include "platform/PathProbe.h"
#include "platform/TickCount.h"
#include "scan/ScanEngine.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace twinseek {

namespace {

// The session of one command, ended as the caller of RunCli asked.
class SessionHolder {
public:
    explicit SessionHolder(SessionTeardown teardown) : session(std::make_unique<CliSession>()), teardown(teardown) {}
    SessionHolder(const SessionHolder&) = delete;
    SessionHolder& operator=(const SessionHolder&) = delete;
    ~SessionHolder() {
        if (teardown == SessionTeardown::LeaveToSystem) (void)session.release();
    }
    CliSession& operator*() { return *session; }

private:
    std::unique_ptr<CliSession> session;
    SessionTeardown teardown;
};

// Names in a message are shown escaped, so that none acts on the terminal.
void PrintError(const std::string& text) { std::fprintf(stderr, "twinseek-cli: %s\n", TerminalText(text).c_str()); }

// Shows the errors the document reported; true when there were any.
bool ReportDocumentErrors(CliSession& session) {
    std::vector<std::string> errors = session.Prompts().TakeErrors();
    for (const std::string& error : errors) PrintError(error);
    return !errors.empty();
}

// What a scan or a refresh adds to a JSON report.
struct ScanReport {
    const ScanSkips* skips = nullptr;
    const RefreshCounts* refresh = nullptr;
};

// Writes the groups as they are formed, a few hundred KiB at a time, so a
// large report is never held whole. A JSON report also tells what the scan
// passed over and what a refresh found, when there was one.
void PrintGroups(CliSession& session, OutputFormat format, const ScanReport& scan = {}) {
    constexpr size_t kFlushSize = 256 * 1024;
    const bool report = format == OutputFormat::JsonReport;
    const bool json = format == OutputFormat::Json || report;
    std::string buffer(report ? "{\"groups\": " : "");
    if (json) buffer += kJsonGroupsOpening;
    bool first = true;
    ForEachGroupReport(session.Doc().duplicates, [&](const GroupReport& group) {
        if (json)
            AppendGroupJson(buffer, group, first);
        else
            AppendGroupText(buffer, group);
        first = false;
        if (buffer.size() >= kFlushSize) {
            std::fwrite(buffer.data(), 1, buffer.size(), stdout);
            buffer.clear();
        }
    }, &session.Doc().links);
    if (json) buffer += JsonGroupsClosing(!first);
    if (report && scan.skips) AppendSkipsJson(buffer += ",\n\"skipped\": ", *scan.skips);
    if (report && scan.refresh) AppendRefreshJson(buffer += ",\n\"refresh\": ", *scan.refresh);
    if (report) buffer += '}';
    if (json) buffer += '\n';
    std::fwrite(buffer.data(), 1, buffer.size(), stdout);
}

// What a walk of roots did to the session's document.
struct ScanResult {
    ScanSkips skips;
    RefreshCounts counts;
    // The sizes of the files it took in, new and changed.
    std::set<uint64_t> takenInSizes;
};

// Walks roots into the session's document, tells what the walk passed over
// and commits it; empty when the scan thread could not start.
std::optional<ScanResult> ScanAndCommit(CliSession& session, const std::vector<std::string>& roots,
                                        StatusLine& status) {
    Document& document = session.Doc();
    ScanResult result;
    {
        ScanWaiter waiter;
        ScanEngine engine(document.root, &document.intake, &document.links, &document.scanChanges, &waiter);
        engine.RunAtNormalPriority();  // the command waits for nothing else
        if (!engine.Start(roots)) {
            PrintError("could not start the scan thread");
            return std::nullopt;
        }
        // A document loaded to be refreshed files its compared files while the walk runs.
        document.IndexLoadedFiles();
        while (!waiter.WaitForDone(std::chrono::milliseconds(250)))
            status.Show("Scanning: " + std::to_string(engine.FilesFound()) + " files in " +
                        std::to_string(engine.FoldersEntered()) + " folders");
        engine.Wait();
        result.skips = engine.Skips();
    }
    status.Clear();
    // A partial listing still succeeds (scripts go on working), but says so.
    for (const std::string& line : SkipSummaryLines(result.skips)) PrintError(line);
    for (const FileCatalog::Entry& entry : document.intake) result.takenInSizes.insert(entry.size);
    result.counts = document.CommitScan(true);
    return result;
}

// Queues what the options ask to compare, and the files of the sizes a
// refresh took in, and runs the comparison to its end. True when something
// was compared.
bool CompareChosenFiles(CliSession& session, const CliOptions& options, StatusLine& status,
                        const std::set<uint64_t>& refreshedSizes = {}) {
    const auto asked = [&](uint64_t size) {
        const std::vector<uint32_t>& ids = options.compareCategories;
        return options.compareAll || std::find(ids.begin(), ids.end(), ClassifySize(size)) != ids.end();
    };
    if (!options.compareAll && options.compareCategories.empty() && refreshedSizes.empty() && !options.digestAll)
        return false;
    CompareEngine& engine = session.Comparing().Engine();
    engine.SetWorkerCount(options.workers);
    const FileCatalog& catalog = session.Doc().catalog;
    std::vector<FileItem*> files;
    if (options.digestAll) {
        // Another machine's files are not here to screen against: every file is digested.
        files = EveryDigestibleFile(catalog);
    } else if (options.compareAll || !refreshedSizes.empty()) {
        files = SharedSizeFiles(catalog, engine.SameFiles());
        std::erase_if(files, [&](const FileItem* file) {
            return !asked(file->Size()) && !refreshedSizes.contains(file->Size());
        });
    } else {
        files = SharedSizeFiles(catalog, options.compareCategories, engine.SameFiles());
    }
    if (!options.full && !options.digestAll) {
        uint32_t lastShown = GetTickCount();
        ScreeningOptions screening;
        screening.threads = options.workers;
        screening.progress = [&](size_t sampled, size_t total) {
            if (!status.Enabled() || GetTickCount() - lastShown < 250) return;
            lastShown = GetTickCount();
            status.Show("Screening " + std::to_string(sampled) + "/" + std::to_string(total) + " files");
        };
        // Where only the refresh asks, files compared before are not read again.
        if (!refreshedSizes.empty())
            screening.leaveComparedUnread = [&](uint64_t size) {
                return refreshedSizes.contains(size) && !asked(size);
            };
        files = ScreenCandidates(files, screening);
        status.Clear();
    }
    if (!session.App().CompareFiles(files)) return false;
    for (const FinishedEntry& entry : RunComparisonToEnd(session.Comparing(), session.Finished(), status))
        PrintError(DescribeUnreadable(*entry.item, entry.failure));
    return true;
}

// Saves the catalogue to the file the options name, whether or not it changed.
bool SaveIfAsked(CliSession& session, const CliOptions& options) {
    if (!options.savePath) return true;
    bool saved = session.App().SaveTo(*options.savePath);
    ReportDocumentErrors(session);
    return saved;
}

int RunScan(const CliOptions& options, SessionTeardown teardown) {
    std::vector<std::string> roots;
    for (const std::string& operand : options.operands) {
        std::optional<std::string> root = GetFullPathName(operand);
        if (!root) {
            PrintError("cannot scan " + operand + ": the path is too long");
            return kExitFailure;
        }
        if (int error = DirectoryAccessError(*root)) {
            PrintError("cannot scan " + operand + ": " +
                       (error == ELOOP ? "it is a symbolic link, and links are never followed; name the folder "
                                         "it points to"
                                       : CXFileException::SystemMessage(error)));
            return kExitFailure;
        }
        roots.push_back(*root);
    }

    SessionHolder holder(teardown);
    CliSession& session = *holder;
    StatusLine status;
    std::optional<ScanResult> scan = ScanAndCommit(session, roots, status);
    if (!scan) return kExitFailure;

    CompareChosenFiles(session, options, status);
    bool saved = SaveIfAsked(session, options);
    PrintGroups(session, options.format, {&scan->skips});
    return saved ? kExitSuccess : kExitFailure;
}

int RunOpen(const CliOptions& options, bool mayCompare, SessionTeardown teardown) {
    SessionHolder holder(teardown);
    CliSession& session = *holder;
    const std::string& path = options.operands[0];
    // A refresh learns the identity of what it meets as it walks: the paths of
    // the groups are told apart after it, not looked up one by one before.
    if (!session.App().OpenFile(path, options.refresh ? Document::SameFileCheck::AfterScan
                                                      : Document::SameFileCheck::OnLoad)) {
        if (!ReportDocumentErrors(session)) PrintError("could not open " + path);
        return kExitFailure;
    }
    StatusLine status;
    std::optional<ScanResult> refresh;
    if (options.refresh) {
        refresh = ScanAndCommit(session, ScannedRoots(*session.Doc().root), status);
        if (!refresh) return kExitFailure;
        std::fprintf(stderr, "%s\n", RefreshSummaryLine(refresh->counts).c_str());
    }
    if (mayCompare)
        CompareChosenFiles(session, options, status, refresh ? refresh->takenInSizes : std::set<uint64_t>());
    bool saved = SaveIfAsked(session, options);
    PrintGroups(session, options.format,
                refresh ? ScanReport{&refresh->skips, &refresh->counts} : ScanReport{});
    return saved ? kExitSuccess : kExitFailure;
}

int RunCleanDocument(const CliOptions& options, SessionTeardown teardown) {
    SessionHolder holder(teardown);
    CliSession& session = *holder;
    const std::string& path = options.operands[0];
    if (!session.App().OpenFile(path)) {
        if (!ReportDocumentErrors(session)) PrintError("could not open " + path);
        return kExitFailure;
    }
    return RunClean(options, session);
}

int RunDigest(const CliOptions& options) {
    int result = kExitSuccess;
    for (const std::string& path : options.operands) {
        FileDigestResult digest = DigestFile(path.c_str());
        if (digest.notRegularMode != 0) {
            PrintError(path + " is not a regular file (" + std::string(EntryKindName(digest.notRegularMode)) + ")");
            result = kExitFailure;
            continue;
        }
        if (digest.error != 0) {
            PrintError(path + ": " + CXFileException::SystemMessage(digest.error));
            result = kExitFailure;
            continue;
        }
        std::printf("%s  %s\n", digest.text.c_str(), TerminalText(path).c_str());
    }
    return result;
}

}  // namespace

int RunCli(int argc, char** argv, SessionTeardown teardown) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CliParse parse = ParseCommandLine(arguments);
    if (!parse.options) {
        std::fprintf(stderr, "twinseek-cli: %s\n\n%s", parse.error.c_str(), kUsageText);
        return kExitUsage;
    }
    const CliOptions& options = *parse.options;
    int status = kExitSuccess;
    try {
        switch (options.command) {
        case CliCommand::Help: std::fputs(kUsageText, stdout); break;
        case CliCommand::Scan: status = RunScan(options, teardown); break;
        case CliCommand::Open: status = RunOpen(options, true, teardown); break;
        case CliCommand::Groups: status = RunOpen(options, false, teardown); break;
        case CliCommand::Digest: status = RunDigest(options); break;
        case CliCommand::Clean: status = RunCleanDocument(options, teardown); break;
        case CliCommand::Apply: status = RunApply(options); break;
        case CliCommand::Merge: {
            SessionHolder holder(teardown);
            status = RunMerge(options, *holder);
            break;
        }
        case CliCommand::Undo: status = RunUndo(); break;
        }
    } catch (const std::bad_alloc&) {
        PrintError("out of memory");
        return kExitFailure;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        PrintError("could not write the results");
        return kExitFailure;
    }
    return status;
}

}  // namespace twinseek
