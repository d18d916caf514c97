#include "platform/TickCount.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace twinseek {
namespace {

TEST(TickCountTest, ReadsTheSteadyClockInMilliseconds) {
    auto steadyMillis = [] {
        auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
        return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
    };
    uint32_t before = steadyMillis();
    uint32_t tick = GetTickCount();
    uint32_t after = steadyMillis();
    // Unsigned differences stay correct across the 32-bit wrap.
    EXPECT_LE(uint32_t(tick - before), uint32_t(after - before));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GE(uint32_t(GetTickCount() - tick), 30u);
}

}  // namespace
}  // namespace twinseek
