// Tells what a refresh of a document found: how many files were new, changed
// and gone, as a line for standard error and as JSON.
#pragma once

#include "catalog/ScanChanges.h"

#include <string>

namespace twinseek {

// "Refreshed: 3 new, 2 changed, 1 gone"
std::string RefreshSummaryLine(const RefreshCounts& counts);
// {"new": 3, "changed": 2, "gone": 1}
void AppendRefreshJson(std::string& out, const RefreshCounts& counts);

}  // namespace twinseek
