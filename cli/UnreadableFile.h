// Says why the comparison could not read a file, as a line for standard error:
// it is not a regular file, it changed since it was catalogued, or the
// system's reason.
#pragma once

#include "catalog/FileItem.h"

#include <string>

namespace twinseek {

// Looks at the file as it is now. The path is as it is (to be shown as TerminalText).
std::string DescribeUnreadable(const FileItem& file);

}  // namespace twinseek
