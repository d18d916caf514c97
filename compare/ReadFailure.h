// Why a compare worker could not digest a file, kept with its Finished row so
// that it can be told later, whatever the file has become since.
#pragma once

#include <cstdint>

namespace twinseek {

struct ReadFailure {
    enum Kind : uint8_t {
        None,
        SystemError,  // the system refused to open or read it: error holds errno
        SizeChanged,  // when opened, it was not of its record's size
        CutShort,     // it ended before that size while it was read
    };
    Kind kind = None;
    uint16_t error = 0;
};

}  // namespace twinseek
