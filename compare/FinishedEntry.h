// One row of the Finished list: a collected file and the time its read took.
#pragma once

#include "catalog/FileItem.h"

#include <cstdint>

namespace twinseek {

struct FinishedEntry {
    FileItem* item;  // not owned
    uint32_t elapsedMillis;
};

}  // namespace twinseek
