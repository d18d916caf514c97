// Says why the comparison could not read a file, as a line for standard error:
// it is not a regular file, it changed since it was catalogued, or the
// system's reason.
#pragma once

#include "catalog/FileItem.h"
#include "compare/ReadFailure.h"

#include <string>

namespace twinseek {

// Looks at the file as it is now; where that shows nothing wrong, tells what
// the worker met. The path is as it is (to be shown as TerminalText).
std::string DescribeUnreadable(const FileItem& file, const ReadFailure& failure);

}  // namespace twinseek
