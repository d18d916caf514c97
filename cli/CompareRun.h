// Runs a comparison to its end for the headless front end: collects finished
// files as they come and shows bytes compared, rate and time left.
#pragma once

#include "cli/StatusLine.h"
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"

#include <string>
#include <vector>

namespace twinseek {

// Text of the progress line: "Comparing 1.5 GB/3.0 GB  50%  120.0 MB/S  00:00:12 left".
std::string CompareProgressText(uint64_t doneBytes, uint64_t totalBytes, uint32_t elapsedMillis);

// Waits until every queued file is collected. Returns the Finished rows of
// the files that could not be read, with why.
std::vector<FinishedEntry> RunComparisonToEnd(ComparingList& comparing, FinishedList& finished,
                                              StatusLine& status);

}  // namespace twinseek
