// Where a record stands in comparison; stored as a signed 32-bit value in
// records and in the document file.
#pragma once

#include <cstdint>

namespace twinseek {

enum CompareState : int32_t {
    Provisional = -1,  // made by a scan that is not yet committed
    NotCompared = 0,
    Queued = 1,
    Digested = 2,
    Finished = 3,
};

}  // namespace twinseek
