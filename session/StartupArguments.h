// What the desktop program's command line asks for: the one document to open
// at start (as a file manager passes it), help, or a mistake to point out.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace twinseek {

constexpr char kDesktopUsageText[] =
    "usage: twinseek [FILE.tws]\n"
    "Opens the Twinseek document FILE.tws, as File > Open does, or an empty window.\n";

struct StartupRequest {
    std::optional<std::string> documentPath;
    bool showHelp = false;
    // The first thing wrong with the command line, in one line; empty when nothing was.
    std::string error;
};

// arguments without the program's own name. "-h" or "--help" asks for help,
// wherever it stands before "--", which ends the options so that a document
// whose name starts with "-" can be named.
StartupRequest ParseStartupArguments(std::span<const std::string> arguments);

}  // namespace twinseek
