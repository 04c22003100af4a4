// The queue's batch operations: a capture hands over all it received at once, the decoder takes and
// releases several buffers per hold of the lock.

#include "engine/packet_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

using std::chrono::milliseconds;

std::vector<std::uint8_t> Contents(const engine::PacketBuffer* b) {
    return {b->data, b->data + b->length};
}

TEST(PacketQueueBatch, PushBatchQueuesEachPacketInOrderAndSkipsEmptyOnes) {
    engine::PacketQueue q;
    const std::vector<std::uint8_t> bytes{0x45, 1, 2, 0x45, 3, 0x45, 4, 5, 6};
    const std::vector<std::int32_t> lengths{3, 0, 2, -1, 4};
    q.PushBatch(bytes.data(), lengths);
    ASSERT_EQ(q.Size(), 3u);
    std::vector<engine::PacketBuffer*> taken(8, nullptr);
    ASSERT_EQ(q.TakeBatch(taken), 3u);
    EXPECT_EQ(Contents(taken[0]), (std::vector<std::uint8_t>{0x45, 1, 2}));
    EXPECT_EQ(Contents(taken[1]), (std::vector<std::uint8_t>{0x45, 3}));
    EXPECT_EQ(Contents(taken[2]), (std::vector<std::uint8_t>{0x45, 4, 5, 6}));
    EXPECT_EQ(taken[3], nullptr);
    q.ReleaseBatch(std::span<engine::PacketBuffer* const>(taken.data(), 3));
    EXPECT_EQ(q.Size(), 0u);
}

TEST(PacketQueueBatch, PushBatchWithoutBytesOrPacketsDoesNothing) {
    engine::PacketQueue q;
    const std::int32_t length = 5;
    q.PushBatch(nullptr, std::span<const std::int32_t>(&length, 1));
    const std::uint8_t one = 0x45;
    q.PushBatch(&one, {});
    EXPECT_EQ(q.Size(), 0u);
}

TEST(PacketQueueBatch, TakeBatchTakesOnlyUntakenBuffersOldestFirstAndAtMostItsRoom) {
    engine::PacketQueue q([](milliseconds) {});
    for (std::uint8_t i = 1; i <= 5; ++i) {
        q.Push(&i, 1);
    }
    engine::PacketBuffer* single = nullptr;
    ASSERT_EQ(q.Take(single), 1);
    EXPECT_EQ(single->data[0], 1);
    std::vector<engine::PacketBuffer*> two(2, nullptr);
    ASSERT_EQ(q.TakeBatch(two), 2u);
    EXPECT_EQ(two[0]->data[0], 2);
    EXPECT_EQ(two[1]->data[0], 3);
    EXPECT_EQ(two[0]->taken.load(), 1);
    std::vector<engine::PacketBuffer*> rest(4, nullptr);
    ASSERT_EQ(q.TakeBatch(rest), 2u);
    EXPECT_EQ(rest[0]->data[0], 4);
    EXPECT_EQ(rest[1]->data[0], 5);
    // Everything is taken and still queued: nothing to hand out, and no polling either.
    EXPECT_EQ(q.TakeBatch(rest), 0u);
    // Released out of the order they were taken in: each one is found.
    q.ReleaseBatch(std::span<engine::PacketBuffer* const>(rest.data(), 2));
    q.Release(single);
    EXPECT_EQ(q.Size(), 2u);
    q.ReleaseBatch(two);
    EXPECT_EQ(q.Size(), 0u);
}

TEST(PacketQueueBatch, TakeBatchOnAnEmptyQueuePollsAsTakeDoes) {
    std::vector<milliseconds> sleeps;
    engine::PacketQueue q([&](milliseconds d) { sleeps.push_back(d); });
    std::vector<engine::PacketBuffer*> out(4, nullptr);
    EXPECT_EQ(q.TakeBatch(out), 0u);
    EXPECT_EQ(sleeps, std::vector<milliseconds>(10, milliseconds(50)));
}

TEST(PacketQueueBatch, ReleaseBatchIgnoresStrangersAndRepeats) {
    engine::PacketQueue q;
    const std::uint8_t bytes[2] = {0x45, 0x46};
    const std::int32_t lengths[2] = {1, 1};
    q.PushBatch(bytes, lengths);
    std::vector<engine::PacketBuffer*> taken(2, nullptr);
    ASSERT_EQ(q.TakeBatch(taken), 2u);
    engine::PacketBuffer stranger;
    const std::vector<engine::PacketBuffer*> mixed{&stranger, taken[0], nullptr, taken[0]};
    q.ReleaseBatch(mixed);
    EXPECT_EQ(q.Size(), 1u);
    q.Release(taken[1]);
    EXPECT_EQ(q.Size(), 0u);
}

// A backlog far larger than the spares and the ring's first size: every packet comes out once, in
// order, whole, and the buffers are reused for the next round.
TEST(PacketQueueBatch, LargeBacklogsComeOutWholeAndInOrderRoundAfterRound) {
    engine::PacketQueue q([](milliseconds) {});
    constexpr int kPackets = 70000;
    for (int round = 0; round < 2; ++round) {
        std::vector<std::uint8_t> bytes;
        std::vector<std::int32_t> lengths;
        for (int i = 0; i < kPackets; ++i) {
            const int length = 1 + i % 300;  // some blocks of 256 bytes, some of 512
            for (int k = 0; k < length; ++k) {
                bytes.push_back(static_cast<std::uint8_t>(i + k));
            }
            lengths.push_back(length);
            if (lengths.size() == 256 || i == kPackets - 1) {
                q.PushBatch(bytes.data(), lengths);
                bytes.clear();
                lengths.clear();
            }
        }
        ASSERT_EQ(q.Size(), static_cast<std::size_t>(kPackets));
        std::vector<engine::PacketBuffer*> batch(64, nullptr);
        int next = 0;
        while (next < kPackets) {
            const std::size_t taken = q.TakeBatch(batch);
            ASSERT_GT(taken, 0u);
            for (std::size_t j = 0; j < taken; ++j, ++next) {
                const int length = 1 + next % 300;
                ASSERT_EQ(batch[j]->length, length);
                ASSERT_EQ(batch[j]->data[0], static_cast<std::uint8_t>(next));
                ASSERT_EQ(batch[j]->data[length - 1], static_cast<std::uint8_t>(next + length - 1));
            }
            q.ReleaseBatch(std::span<engine::PacketBuffer* const>(batch.data(), taken));
        }
        EXPECT_EQ(q.Size(), 0u);
    }
}

}  // namespace
