// The SHA-1 of one file named by its path, read as the compare engine reads:
// a reading thread fills the read-ahead ring while the caller digests.
#pragma once

#include <string>

namespace twinseek {

struct FileDigestResult {
    int error = 0;     // errno when the file could not be opened or read through
    std::string text;  // otherwise the 32-character base32 digest
};

FileDigestResult DigestFile(const char* path);

}  // namespace twinseek
