// Texts of the status-bar panes that follow a comparison: size and count
// finished against queued, and the speed of the file now being read.
#pragma once

#include <cstdint>
#include <string>

namespace twinseek {

class ComparingList;
class FinishedList;

// "Size: <finished>B/<queued>B File(s)   N%"; empty while nothing was queued.
std::string PaneSizeText(uint64_t queuedBytes, uint64_t finishedBytes);
// "Count: <finished>/<queued>   N%"; empty while nothing was queued.
std::string PaneCountText(uint64_t queuedCount, uint64_t finishedCount);

std::string PaneSizeText(const ComparingList& comparing, const FinishedList& finished);
std::string PaneCountText(const ComparingList& comparing, const FinishedList& finished);
// The speed shown in the first row of the Comparing list; empty without rows.
std::string PaneSpeedText(const ComparingList& comparing);

}  // namespace twinseek
