// Millisecond tick counter for measuring elapsed time: a monotonic clock that
// never jumps with wall-clock changes and wraps every 2^32 ms (about 49.7 days).
#pragma once

#include <cstdint>

namespace twinseek {

// Milliseconds of the steady clock, low 32 bits. Differences of two readings
// taken less than 49.7 days apart are exact in unsigned arithmetic.
uint32_t GetTickCount();

}  // namespace twinseek
