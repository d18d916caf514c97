#include "session/StartupArguments.h"

namespace twinseek {

StartupRequest ParseStartupArguments(std::span<const std::string> arguments) {
    StartupRequest request;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "-h" || argument == "--help")) {
            request.showHelp = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            if (request.error.empty()) request.error = "twinseek: unknown option " + argument;
        } else if (request.documentPath) {
            if (request.error.empty()) request.error = "twinseek: one document at a time; also given " + argument;
        } else {
            request.documentPath = argument;
        }
    }
    return request;
}

}  // namespace twinseek
