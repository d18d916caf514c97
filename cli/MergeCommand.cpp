#include "cli/MergeCommand.h"

#include "cli/CliApp.h"
#include "cli/CliSession.h"
#include "catalog/TerminalText.h"
#include "document/DocumentMerge.h"

#include <cstdio>

namespace twinseek {

int RunMerge(const CliOptions& options, CliSession& session) {
    NullProgressIndicator progress;
    const MergeOutcome outcome = MergeDocuments(session.Doc(), options.mergeInputs, progress);
    if (!outcome.error.empty()) {
        std::fprintf(stderr, "twinseek-cli: %s; nothing was written\n", TerminalText(outcome.error).c_str());
        return kExitFailure;
    }
    const bool saved = session.App().SaveTo(options.operands[0]);
    for (const std::string& error : session.Prompts().TakeErrors())
        std::fprintf(stderr, "twinseek-cli: %s\n", TerminalText(error).c_str());
    if (!saved) return kExitFailure;
    std::fprintf(stderr, "Merged %zu documents: %llu files\n", options.mergeInputs.size(),
                 static_cast<unsigned long long>(outcome.files));
    if (outcome.undigestedAcrossInputs != 0)
        std::fprintf(stderr,
                     "%llu files share their size with a file of another document but have no digest, so they "
                     "are not compared: scan with --digest-all to match them\n",
                     static_cast<unsigned long long>(outcome.undigestedAcrossInputs));
    return kExitSuccess;
}

}  // namespace twinseek
