// Reading a regular file through the folder that holds it, held to the file
// it was looked at as, and telling byte for byte whether two files are equal.
#pragma once

#include "platform/FileIdentity.h"
#include "platform/UniqueFd.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace twinseek {

// Opens the entry called name in folder for reading, without following a
// link or waiting on a FIFO. 0 with file open, or the errno that says why not:
// EINVAL when it is not a regular file, ESTALE when it is no longer the file
// on disk called expected.
int OpenEntryForReading(int folder, const std::string& name, const FileIdentity& expected, UniqueFd& file);

enum class ContentMatch { Same, Different, Failed, Stopped };

struct ContentComparison {
    ContentMatch match = ContentMatch::Failed;
    int error = 0;            // the errno of a failed read
    bool firstFailed = false;  // which file the failed read was of
};

// Reads the open files first and second from their start (wherever their
// positions stand) and compares them
// byte for byte over size bytes; either ending sooner, or going on past size,
// makes them Different. Each piece read is added to bytesDone; stop is looked
// at before each piece.
ContentComparison CompareContents(int first, int second, uint64_t size, std::atomic<uint64_t>& bytesDone,
                                  const std::atomic<bool>& stop);

}  // namespace twinseek
