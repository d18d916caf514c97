#include "platform/ManualResetEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace twinseek {
namespace {

using namespace std::chrono_literals;

TEST(ManualResetEventTest, StaysSetUntilResetAndTimesOutWhileUnsignalled) {
    ManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitFor(20ms));
    event.Set();
    EXPECT_TRUE(event.WaitFor(0ms));
    event.Wait();
    EXPECT_TRUE(event.IsSet()) << "waiting does not consume the signal";
    event.Reset();
    EXPECT_FALSE(event.WaitFor(10ms)) << "a reset event blocks again";
}

TEST(ManualResetEventTest, SetFromAnotherThreadReleasesEveryWaiterWithTheDataWrittenBefore) {
    ManualResetEvent event;
    int message = 0;
    std::atomic<int> released{0};
    std::thread first([&] { event.Wait(); released += message; });
    std::thread second([&] { if (event.WaitFor(60s)) released += message; });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(released.load(), 0) << "nobody passes before Set";
    message = 21;
    event.Set();
    first.join();
    second.join();
    EXPECT_EQ(released.load(), 42);
}

}  // namespace
}  // namespace twinseek
