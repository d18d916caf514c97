// Tells what a scan passed over: a line per cause for standard error, with
// the first few paths, and the counts as JSON.
#pragma once

#include "scan/ScanSkips.h"

#include <string>
#include <vector>

namespace twinseek {

// One line per cause that occurred, in the order of SkipCause, e.g.
// could not list 2 folders, so what they hold is left out: "/a/x", "/b/y"
// Paths are as they are (to be shown as TerminalText), a very long one
// shortened in its middle.
std::vector<std::string> SkipSummaryLines(const ScanSkips& skips);

// {"unlistable_folders": {"count": N, "examples": ["/path", ...]}, ...} with
// every cause present: unlistable_folders, paths_too_long, line_break_names,
// pseudo_file_systems, folders_entered_before.
void AppendSkipsJson(std::string& out, const ScanSkips& skips);

}  // namespace twinseek
