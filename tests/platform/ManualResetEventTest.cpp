#include "platform/ManualResetEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace twinseek {
namespace {

using namespace std::chrono_literals;

TEST(ManualResetEventTest, StartsUnsignalledAndStaysSetUntilReset) {
    ManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.IsSet()) << "reading the state does not consume it";
    EXPECT_TRUE(event.WaitFor(0ms));
    event.Wait();
    event.Reset();
    EXPECT_FALSE(event.IsSet());
}

TEST(ManualResetEventTest, WaitForTimesOutWhileUnsignalled) {
    ManualResetEvent event;
    EXPECT_FALSE(event.WaitFor(0ms));
    EXPECT_FALSE(event.WaitFor(20ms));
    event.Set();
    event.Reset();
    EXPECT_FALSE(event.WaitFor(10ms)) << "a reset event blocks again";
}

TEST(ManualResetEventTest, SetFromAnotherThreadReleasesEveryWaiter) {
    ManualResetEvent event;
    std::atomic<int> released{0};
    std::thread first([&] { event.Wait(); ++released; });
    std::thread second([&] { if (event.WaitFor(60s)) ++released; });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(released.load(), 0) << "nobody passes before Set";
    event.Set();
    first.join();
    second.join();
    EXPECT_EQ(released.load(), 2);
}

TEST(ManualResetEventTest, WaiterSeesDataWrittenBeforeSet) {
    ManualResetEvent ready;
    ManualResetEvent answered;
    int message = 0;
    int reply = 0;
    std::thread partner([&] {
        ready.Wait();
        reply = message + 1;
        answered.Set();
    });
    message = 41;
    ready.Set();
    answered.Wait();
    EXPECT_EQ(reply, 42);
    partner.join();
}

}  // namespace
}  // namespace twinseek
