#include "cli/StatusLine.h"

#include <cstdio>
#include <unistd.h>

namespace twinseek {

StatusLine::StatusLine() : enabled(isatty(STDERR_FILENO) == 1) {}

void StatusLine::Show(const std::string& text) {
    if (!enabled) return;
    std::string line = "\r" + text;
    if (text.size() < shownLength) line.append(shownLength - text.size(), ' ');
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    shownLength = text.size();
}

void StatusLine::Clear() {
    if (!enabled || shownLength == 0) return;
    std::fprintf(stderr, "\r%*s\r", int(shownLength), "");
    std::fflush(stderr);
    shownLength = 0;
}

}  // namespace twinseek
