#include "platform/ThreadPriority.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <thread>

namespace twinseek {
namespace {

int PolicyOfCurrentThread() {
    int policy = -1;
    sched_param parameters{};
    pthread_getschedparam(pthread_self(), &policy, &parameters);
    return policy;
}

TEST(ThreadPriorityTest, LowersOnlyTheCallingThreadToIdle) {
    int before = PolicyOfCurrentThread();
    int lowered = -1;
    std::thread worker([&] {
        LowerCurrentThreadToIdlePriority();
        lowered = PolicyOfCurrentThread();
    });
    worker.join();
    // Lowering one's own priority needs no privilege on Linux.
    EXPECT_EQ(lowered, SCHED_IDLE);
    EXPECT_EQ(PolicyOfCurrentThread(), before);
}

}  // namespace
}  // namespace twinseek
