// One row of the Finished list: a collected file, the time its read took and,
// for a file that could not be read, why.
#pragma once

#include "catalog/FileItem.h"
#include "compare/ReadFailure.h"

#include <cstdint>

namespace twinseek {

struct FinishedEntry {
    FileItem* item;  // not owned
    uint32_t elapsedMillis;
    ReadFailure failure = {};
};

}  // namespace twinseek
