#include "cli/CliApp.h"

#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "cli/CompareRun.h"
#include "cli/GroupReport.h"
#include "cli/ScanWaiter.h"
#include "cli/SkipReport.h"
#include "cli/StatusLine.h"
#include "cli/TerminalText.h"
#include "cli/UnreadableFile.h"
#include "compare/CandidateQueueing.h"
#include "compare/CandidateScreening.h"
#include "compare/FileDigest.h"
#include "platform/CXException.h"
#include "platform/FullPath.h"
#include "platform/PathProbe.h"
#include "platform/TickCount.h"
#include "scan/ScanEngine.h"

#include <cerrno>
#include <cstdio>
#include <memory>
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

// Writes the groups as they are formed, a few hundred KiB at a time, so a
// large report is never held whole.
// With skips (after a scan) a JSON report also tells what the scan passed over.
void PrintGroups(CliSession& session, OutputFormat format, const ScanSkips* skips = nullptr) {
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
    if (report && skips) AppendSkipsJson(buffer += ",\n\"skipped\": ", *skips);
    if (report) buffer += '}';
    if (json) buffer += '\n';
    std::fwrite(buffer.data(), 1, buffer.size(), stdout);
}

// Queues what the options ask to compare and runs the comparison to its end.
// True when something was compared.
bool CompareChosenFiles(CliSession& session, const CliOptions& options, StatusLine& status) {
    if (!options.compareAll && options.compareCategories.empty()) return false;
    CompareEngine& engine = session.Comparing().Engine();
    engine.SetWorkerCount(options.workers);
    const FileCatalog& catalog = session.Doc().catalog;
    std::vector<FileItem*> files =
        options.compareAll ? SharedSizeFiles(catalog, engine.SameFiles())
                           : SharedSizeFiles(catalog, options.compareCategories, engine.SameFiles());
    if (!options.full) {
        uint32_t lastShown = GetTickCount();
        files = ScreenCandidates(files, {options.workers, [&](size_t sampled, size_t total) {
                                             if (!status.Enabled() || GetTickCount() - lastShown < 250) return;
                                             lastShown = GetTickCount();
                                             status.Show("Screening " + std::to_string(sampled) + "/" +
                                                         std::to_string(total) + " files");
                                         }});
        status.Clear();
    }
    if (!session.App().CompareFiles(files)) return false;
    for (const FileItem* file : RunComparisonToEnd(session.Comparing(), session.Finished(), status))
        PrintError(DescribeUnreadable(*file));
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
    Document& document = session.Doc();
    StatusLine status;
    ScanSkips skips;
    {
        ScanWaiter waiter;
        ScanEngine engine(document.root, &document.intake, &document.links, &document.scanChanges, &waiter);
        engine.RunAtNormalPriority();  // the command waits for nothing else
        if (!engine.Start(roots)) {
            PrintError("could not start the scan thread");
            return kExitFailure;
        }
        while (!waiter.WaitForDone(std::chrono::milliseconds(250)))
            status.Show("Scanning: " + std::to_string(engine.FilesFound()) + " files in " +
                        std::to_string(engine.FoldersEntered()) + " folders");
        engine.Wait();
        skips = engine.Skips();
    }
    status.Clear();
    // A partial listing still succeeds (scripts go on working), but says so.
    for (const std::string& line : SkipSummaryLines(skips)) PrintError(line);
    document.CommitScan(true);

    CompareChosenFiles(session, options, status);
    bool saved = SaveIfAsked(session, options);
    PrintGroups(session, options.format, &skips);
    return saved ? kExitSuccess : kExitFailure;
}

int RunOpen(const CliOptions& options, bool mayCompare, SessionTeardown teardown) {
    SessionHolder holder(teardown);
    CliSession& session = *holder;
    const std::string& path = options.operands[0];
    if (!session.App().OpenFile(path)) {
        if (!ReportDocumentErrors(session)) PrintError("could not open " + path);
        return kExitFailure;
    }
    StatusLine status;
    if (mayCompare) CompareChosenFiles(session, options, status);
    bool saved = SaveIfAsked(session, options);
    PrintGroups(session, options.format);
    return saved ? kExitSuccess : kExitFailure;
}

int RunDigest(const CliOptions& options) {
    int result = kExitSuccess;
    for (const std::string& path : options.operands) {
        FileDigestResult digest = DigestFile(path.c_str());
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
