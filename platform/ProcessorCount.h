// How many processors this process may run on, to size a pool of workers.
#pragma once

#include <cstdint>

namespace twinseek {

// The processors the scheduler may run this process on (so a container's
// processor set counts, not the whole machine's), at least 1.
uint32_t ProcessorCount();

}  // namespace twinseek
