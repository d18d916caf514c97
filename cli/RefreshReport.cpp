#include "cli/RefreshReport.h"

namespace twinseek {

std::string RefreshSummaryLine(const RefreshCounts& counts) {
    return "Refreshed: " + std::to_string(counts.newFiles) + " new, " + std::to_string(counts.changedFiles) +
           " changed, " + std::to_string(counts.goneFiles) + " gone";
}

void AppendRefreshJson(std::string& out, const RefreshCounts& counts) {
    out.append("{\"new\": ").append(std::to_string(counts.newFiles));
    out.append(", \"changed\": ").append(std::to_string(counts.changedFiles));
    out.append(", \"gone\": ").append(std::to_string(counts.goneFiles)) += '}';
}

}  // namespace twinseek
