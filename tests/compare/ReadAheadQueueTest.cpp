#include "compare/ReadAheadQueue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <thread>

namespace twinseek {
namespace {

// A reader and a digester pass many chunks through a ring much smaller than
// the stream, so both sides keep running dry and sleeping: a lost wake hangs
// the test, a slot reused too early shows up as a wrong byte.
TEST(ReadAheadQueueTest, EveryChunkArrivesOnceInOrderWithItsContent) {
    constexpr size_t kChunks = 20000;
    ReadAheadQueue queue(4, 16);
    std::deque<CompareJob> jobs;
    for (size_t i = 0; i < kChunks; ++i) jobs.emplace_back(nullptr);

    std::thread reader([&] {
        for (size_t i = 0; i < kChunks; ++i) {
            uint8_t* buffer = queue.AcquireBuffer();
            std::memset(buffer, int(i % 251), queue.BufferSize());
            // Every third chunk is a bare marker, as for a failed or empty file.
            if (i % 3 == 2)
                queue.Push({&jobs[i], ReadChunk::Kind::End});
            else
                queue.Push({&jobs[i], ReadChunk::Kind::Data, i % 2 == 0, buffer, 1 + i % queue.BufferSize()});
            // Now and then the reader is slow, so the digester sleeps.
            if (i % 1000 == 0) std::this_thread::yield();
        }
        queue.FinishReading();
    });

    size_t received = 0;
    while (const ReadChunk* chunk = queue.Pop()) {
        const size_t i = received++;
        ASSERT_LT(i, kChunks);
        ASSERT_EQ(chunk->job, &jobs[i]);
        if (i % 3 == 2) {
            EXPECT_EQ(chunk->kind, ReadChunk::Kind::End);
        } else {
            ASSERT_EQ(chunk->kind, ReadChunk::Kind::Data);
            EXPECT_EQ(chunk->endsFile, i % 2 == 0);
            ASSERT_EQ(chunk->bytes, 1 + i % queue.BufferSize());
            for (size_t b = 0; b < chunk->bytes; ++b) ASSERT_EQ(chunk->data[b], uint8_t(i % 251)) << "chunk " << i;
        }
        queue.Release();
    }
    reader.join();
    EXPECT_EQ(received, kChunks);
}

TEST(ReadAheadQueueTest, AFinishedReaderEndsTheDigesterEvenBelowTheWakeMark) {
    ReadAheadQueue queue(8, 4);
    // Nothing published: a digester waiting for half the ring must still end.
    std::thread digester([&] { EXPECT_EQ(queue.Pop(), nullptr); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    queue.FinishReading();
    digester.join();

    // One chunk, fewer than the wake mark, then the end: the chunk comes first.
    ReadAheadQueue single(8, 4);
    CompareJob job(nullptr);
    std::thread reader([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        single.AcquireBuffer();
        single.Push({&job, ReadChunk::Kind::Failed});
        single.FinishReading();
    });
    const ReadChunk* chunk = single.Pop();
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(chunk->kind, ReadChunk::Kind::Failed);
    single.Release();
    EXPECT_EQ(single.Pop(), nullptr);
    reader.join();
}

}  // namespace
}  // namespace twinseek
