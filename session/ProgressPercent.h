// How far the status-bar progress indicator is filled: the whole percentage
// of the steps taken, so that short operations move as well as long ones.
#pragma once

#include <cstdint>

namespace twinseek {

// position * 100 / range truncated, held within 0..100; 0 for a range below 1.
int ProgressPercent(int64_t position, int32_t range);

}  // namespace twinseek
