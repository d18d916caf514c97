// Removes a file for good through the folder that holds it, only while the
// entry is still the file on disk it was checked as.
#pragma once

#include "platform/FileIdentity.h"

#include <string>

namespace twinseek {

// 0, or the errno that says why the entry called name in folder was not
// removed: ESTALE when it is no longer the file called expected.
int UnlinkEntry(int folder, const std::string& name, const FileIdentity& expected);

}  // namespace twinseek
