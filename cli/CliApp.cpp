#include "cli/CliApp.h"

#include "cli/CliOptions.h"

#include <cstdio>
#include <string>
#include <vector>

namespace twinseek {

int RunCli(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CliParse parse = ParseCommandLine(arguments);
    if (!parse.options) {
        std::fprintf(stderr, "twinseek-cli: %s\n\n%s", parse.error.c_str(), kUsageText);
        return kExitUsage;
    }
    const CliOptions& options = *parse.options;
    if (options.command == CliCommand::Help) {
        std::fputs(kUsageText, stdout);
        return kExitSuccess;
    }
    std::fprintf(stderr, "twinseek-cli: this command is not built yet\n");
    return kExitFailure;
}

}  // namespace twinseek
