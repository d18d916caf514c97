// A text file that only grows, each line on the disk before the call that
// wrote it returns, so that a crash leaves every line written whole or not at all.
#pragma once

#include "platform/UniqueFd.h"

#include <optional>
#include <string>
#include <string_view>

namespace twinseek {

class SyncedLog {
public:
    // Opens path for appending, making it (0600) and its missing folders
    // (0700) first; 0 or the errno.
    int Open(const std::string& path);
    // Appends line (which ends in '\n') and syncs it; 0 or the errno.
    int Append(std::string_view line);
    bool IsOpen() const { return file.IsOpen(); }

    // The whole text of the file at path; none when it cannot be read (an
    // absent file reads as empty).
    static std::optional<std::string> ReadAll(const std::string& path);

private:
    UniqueFd file;
};

}  // namespace twinseek
