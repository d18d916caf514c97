// Texts of the status-bar panes that follow a comparison (sizes and counts
// finished against queued, percentage, time spent and left, speed of the file
// being read), and the widest texts each pane must hold.
#pragma once

#include "catalog/WidestTexts.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace twinseek {

class ComparingList;
class FinishedList;

constexpr size_t kStatusPaneCount = 7;
// Each pane but the first ("Ready" or a prompt, which takes the rest of the
// bar) is at least as wide as its template. Templates are never shown.
inline constexpr std::array<const char*, kStatusPaneCount> kPaneTemplates = {
    nullptr,
    "Size: 9999999999999999999999999999999999",
    "Completed: 999999999999999",
    "Percent: 100%   100%",
    "Elapsed: HH:MM:SS",
    "Left: HH:MM:SS",
    "Speed: 999999999 bytes/s",
};

// "Size: <finished>B/<queued>B File(s)   N%"; empty while nothing was queued.
std::string PaneSizeText(uint64_t queuedBytes, uint64_t finishedBytes);
// "Count: <finished>/<queued>   N%"; empty while nothing was queued.
std::string PaneCountText(uint64_t queuedCount, uint64_t finishedCount);

std::string PaneSizeText(const ComparingList& comparing, const FinishedList& finished);
std::string PaneCountText(const ComparingList& comparing, const FinishedList& finished);
// The speed shown in the first row of the Comparing list; empty without rows.
std::string PaneSpeedText(const ComparingList& comparing);

// "Percent: <whole>%   <file>%": the whole comparison by bytes, then the file
// now being read.
std::string PanePercentText(uint64_t doneBytes, uint64_t totalBytes, uint64_t fileDone, uint64_t fileSize);
// "Elapsed: HH:MM:SS".
std::string PaneElapsedText(uint32_t millis);
// "Left: HH:MM:SS", or empty while no estimate is known.
std::string PaneLeftText(std::optional<uint32_t> millis);

// What pane (1 to 6) may show at its widest, its template first; nothing for pane 0.
TextList PaneWidestTexts(size_t pane);

}  // namespace twinseek
