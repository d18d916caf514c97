#include "platform/ProcessorCount.h"

#include <sched.h>
#include <thread>

namespace twinseek {

uint32_t ProcessorCount() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        int count = CPU_COUNT(&allowed);
        if (count > 0) return uint32_t(count);
    }
    unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : count;
}

}  // namespace twinseek
