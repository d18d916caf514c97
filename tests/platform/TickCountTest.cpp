#include "platform/TickCount.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace twinseek {
namespace {

uint32_t SteadyMillisLow32() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

TEST(TickCountTest, ReadsTheSteadyClockInMilliseconds) {
    uint32_t before = SteadyMillisLow32();
    uint32_t tick = GetTickCount();
    uint32_t after = SteadyMillisLow32();
    // Unsigned differences stay correct across the 32-bit wrap.
    EXPECT_LE(uint32_t(tick - before), uint32_t(after - before));
}

TEST(TickCountTest, AdvancesAtLeastByTheTimeSlept) {
    uint32_t start = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GE(uint32_t(GetTickCount() - start), 30u);
}

}  // namespace
}  // namespace twinseek
