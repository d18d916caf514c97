#include "compare/StatusPanes.h"

#include "catalog/TextFormat.h"
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"

#include <cstdio>

namespace twinseek {

std::string PaneSizeText(uint64_t queuedBytes, uint64_t finishedBytes) {
    if (queuedBytes == 0) return {};
    char text[128];
    // The percentage is printed as 32 bits, like the count it came from.
    std::snprintf(text, sizeof text, "Size: %sB/%sB File(s)   %u%%", FormatSize(finishedBytes).CStr(),
                  FormatSize(queuedBytes).CStr(), unsigned(uint32_t(finishedBytes * 100 / queuedBytes)));
    return text;
}

std::string PaneCountText(uint64_t queuedCount, uint64_t finishedCount) {
    if (queuedCount == 0) return {};
    char text[128];
    std::snprintf(text, sizeof text, "Count: %llu/%llu   %llu%%", (unsigned long long)finishedCount,
                  (unsigned long long)queuedCount, (unsigned long long)(finishedCount * 100 / queuedCount));
    return text;
}

std::string PaneSizeText(const ComparingList& comparing, const FinishedList& finished) {
    return PaneSizeText(comparing.queuedBytes, finished.finishedBytes);
}

std::string PaneCountText(const ComparingList& comparing, const FinishedList& finished) {
    return PaneCountText(comparing.queuedCount, finished.finishedCount);
}

std::string PaneSpeedText(const ComparingList& comparing) {
    if (comparing.RowCount() == 0) return {};
    return std::string(comparing.CellText(0, ComparingList::kSpeed));
}

}  // namespace twinseek
