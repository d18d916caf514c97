// The scan's progress handed to a window that cannot keep up: every status
// message is counted, the latest text is kept, and the window is woken once
// for whatever piles up until it takes it, and always for the end.
#include "scan/ScanStatusMailbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace twinseek {
namespace {

struct CountingMailbox : ScanStatusMailbox {
    std::atomic<int> wakes{0};
    void Wake() override { ++wakes; }
};

TEST(ScanStatusMailboxTest, WakesOnceUntilTakenAndCountsEveryMessage) {
    CountingMailbox mailbox;
    mailbox.PostScanStatus("Initialize...");
    mailbox.PostScanStatus("/a");
    EXPECT_EQ(mailbox.wakes, 1);
    ScanStatusMailbox::Delivery first = mailbox.Take();
    EXPECT_EQ(first.statusMessages, 2u);
    EXPECT_EQ(first.latestText, "/a");
    EXPECT_FALSE(first.done);
    mailbox.PostScanStatus("/a/b");
    EXPECT_EQ(mailbox.wakes, 2);
    EXPECT_FALSE(mailbox.DonePending());
    mailbox.PostScanDone();
    EXPECT_EQ(mailbox.wakes, 3) << "the end wakes the window even with mail waiting";
    EXPECT_TRUE(mailbox.DonePending());
    ScanStatusMailbox::Delivery last = mailbox.Take();
    EXPECT_EQ(last.statusMessages, 1u);
    EXPECT_TRUE(last.done);
}

TEST(ScanStatusMailboxTest, AFloodFromTheScanThreadLosesNoCount) {
    CountingMailbox mailbox;
    constexpr uint32_t kFolders = 200000;
    std::thread scan([&] {
        for (uint32_t folder = 0; folder < kFolders; ++folder) mailbox.PostScanStatus("/f" + std::to_string(folder));
        mailbox.PostScanDone();
    });
    uint32_t counted = 0;
    std::string latest;
    for (bool done = false; !done;) {
        ScanStatusMailbox::Delivery delivery = mailbox.Take();
        counted += delivery.statusMessages;
        if (delivery.statusMessages) latest = delivery.latestText;
        done = delivery.done;
        std::this_thread::yield();
    }
    scan.join();
    EXPECT_EQ(counted, kFolders);
    EXPECT_EQ(latest, "/f199999");
}

}  // namespace
}  // namespace twinseek
