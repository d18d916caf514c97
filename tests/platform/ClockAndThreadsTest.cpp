// The millisecond tick count and the idle priority of a worker thread.
#include "platform/ThreadPriority.h"
#include "platform/TickCount.h"

#include <gtest/gtest.h>

#include <chrono>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace twinseek {
namespace {

TEST(TickCountTest, ReadsTheSteadyClockInMilliseconds) {
    auto steadyMillis = [] {
        return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
    };
    uint32_t before = steadyMillis();
    uint32_t tick = GetTickCount();
    uint32_t after = steadyMillis();
    // Unsigned differences stay correct across the 32-bit wrap.
    EXPECT_LE(uint32_t(tick - before), uint32_t(after - before));
}

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
    EXPECT_EQ(lowered, SCHED_IDLE) << "lowering one's own priority needs no privilege on Linux";
    EXPECT_EQ(PolicyOfCurrentThread(), before);
}

}  // namespace
}  // namespace twinseek
