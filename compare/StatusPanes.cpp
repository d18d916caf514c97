#include "compare/StatusPanes.h"

#include "catalog/TextFormat.h"
#include "compare/ComparingList.h"
#include "compare/FinishedList.h"

#include <algorithm>
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

std::string PanePercentText(uint64_t doneBytes, uint64_t totalBytes, uint64_t fileDone, uint64_t fileSize) {
    return std::string("Percent: ") + FormatPercent(doneBytes, totalBytes).CStr() + "   " +
           FormatPercent(fileDone, fileSize).CStr();
}

std::string PaneElapsedText(uint32_t millis) { return std::string("Elapsed: ") + FormatDuration(millis).CStr(); }

std::string PaneLeftText(std::optional<uint32_t> millis) {
    if (!millis) return {};
    return std::string("Left: ") + FormatDuration(*millis).CStr();
}

TextList PaneWidestTexts(size_t pane) {
    if (pane == 0 || pane >= kStatusPaneCount) return {};
    TextList texts{kPaneTemplates[pane]};
    switch (pane) {
    case 1: {
        // "1023.9 KB" up to "1023.9 TB", in every pair: the finished size may
        // stand in a smaller unit than the queued one.
        const std::array<uint64_t, 4> sizes = {(uint64_t(1) << 20) - 1, (uint64_t(1) << 30) - 1,
                                               (uint64_t(1) << 40) - 1, (uint64_t(1) << 50) - 1};
        for (uint64_t queued : sizes)
            for (uint64_t finished : sizes) texts.push_back(PaneSizeText(queued, std::min(finished, queued)));
        break;
    }
    case 2:
        // A million files compared.
        texts.push_back(PaneCountText(1000000, 1000000));
        break;
    case 3:
        texts.push_back(PanePercentText(1, 1, 1, 1));
        break;
    case 4:
        for (const std::string& duration : WidestDurationTexts()) texts.push_back("Elapsed: " + duration);
        break;
    case 5:
        for (const std::string& duration : WidestDurationTexts()) texts.push_back("Left: " + duration);
        break;
    case 6:
        for (const std::string& rate : WidestRateTexts()) texts.push_back(rate);
        break;
    }
    return texts;
}

}  // namespace twinseek
