#include "session/ProgressPercent.h"

#include <algorithm>

namespace twinseek {

int ProgressPercent(int64_t position, int32_t range) {
    if (range <= 0 || position <= 0) return 0;
    // 64 bits: a range of tens of millions of records must not overflow.
    return int(std::min<int64_t>(position * 100 / range, 100));
}

}  // namespace twinseek
