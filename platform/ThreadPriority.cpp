#include "platform/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>

namespace twinseek {

void LowerCurrentThreadToIdlePriority() {
    sched_param parameters{};
    parameters.sched_priority = 0;  // the only value SCHED_IDLE accepts
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters);
}

}  // namespace twinseek
