#include "platform/TickCount.h"

#include <chrono>

namespace twinseek {

uint32_t GetTickCount() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(millis));
}

}  // namespace twinseek
