#include "engine/packet_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

void Push(engine::PacketQueue& q, const Bytes& bytes) {
    q.Push(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

Bytes Contents(const engine::PacketBuffer* b) {
    return {b->data, b->data + b->length};
}

// Polling sleeps are recorded instead of slept; onSleep runs at each, with its number from 1.
class PacketQueue : public ::testing::Test {
  protected:
    std::vector<milliseconds> sleeps_;
    std::function<void(int)> onSleep_;
    engine::PacketQueue q_{[this](milliseconds d) {
        sleeps_.push_back(d);
        if (onSleep_) {
            onSleep_(static_cast<int>(sleeps_.size()));
        }
    }};
};

// Packets are copied; empty ones are skipped; a taken buffer is not handed out again; a released one
// carries a later packet that fits it, and a longer packet gets a block of its own. (Releases of
// strangers and repeats are the batch test's.)
TEST_F(PacketQueue, HandsOutOwnCopiesOldestFirstAndReusesReleasedBlocks) {
    Bytes first{0x45, 1, 2};
    Push(q_, first);
    const std::uint8_t one = 0x45;
    q_.Push(nullptr, 10);
    q_.Push(&one, 0);
    Push(q_, {0x45, 3});
    first[1] = 99;
    EXPECT_EQ(q_.Size(), 2u);
    engine::PacketBuffer *a = nullptr, *b = nullptr;
    ASSERT_EQ(q_.Take(a), 1);
    ASSERT_EQ(q_.Take(b), 1);
    EXPECT_EQ(Contents(a), (Bytes{0x45, 1, 2}));
    EXPECT_EQ(Contents(b), (Bytes{0x45, 3}));
    // All taken but still queued: nothing to hand out, and no polling either.
    engine::PacketBuffer* none = a;
    EXPECT_EQ(q_.Take(none), 0);
    EXPECT_EQ(none, nullptr);
    EXPECT_TRUE(sleeps_.empty());
    q_.Release(b);
    q_.Release(a);
    EXPECT_EQ(q_.Size(), 0u);

    Push(q_, {0x45, 9});
    ASSERT_EQ(q_.Take(b), 1);
    EXPECT_EQ(b, a);
    EXPECT_EQ(Contents(b), (Bytes{0x45, 9}));
    q_.Release(b);
    const Bytes large(3000, 7);
    Push(q_, large);
    ASSERT_EQ(q_.Take(b), 1);
    EXPECT_EQ(Contents(b), large);
    q_.Release(b);
}

TEST_F(PacketQueue, EmptyQueueIsPolledTenTimesEvery50MsAndALatePacketWaitsForTheNextTake) {
    engine::PacketBuffer* b = nullptr;
    std::vector<engine::PacketBuffer*> out(4, nullptr);
    EXPECT_EQ(q_.TakeBatch(out), 0u);
    EXPECT_EQ(sleeps_, std::vector<milliseconds>(10, milliseconds(50)));
    for (const int pushAt : {9, 10}) {
        SCOPED_TRACE(pushAt);
        sleeps_.clear();
        onSleep_ = [&](int n) {
            if (n == pushAt) {
                Push(q_, {7});
            }
        };
        // During the ninth sleep it is still seen; after the tenth there is no last look.
        EXPECT_EQ(q_.Take(b), pushAt == 9 ? 1 : 0);
        if (b == nullptr) {
            ASSERT_EQ(q_.Take(b), 1);
        }
        EXPECT_EQ(sleeps_.size(), static_cast<std::size_t>(pushAt));
        EXPECT_EQ(Contents(b), Bytes{7});
        q_.Release(b);
    }
}

TEST_F(PacketQueue, BatchesQueueTakeAndReleaseInOrder) {
    const Bytes bytes{0x45, 1, 2, 0x45, 3, 0x45, 4, 5, 6};
    const std::vector<std::int32_t> lengths{3, 0, 2, -1, 4};
    q_.PushBatch(nullptr, lengths);
    q_.PushBatch(bytes.data(), {});
    EXPECT_EQ(q_.Size(), 0u);
    q_.PushBatch(bytes.data(), lengths);
    const std::uint8_t six = 6;
    q_.PushBatch(&six, std::vector<std::int32_t>{1});
    ASSERT_EQ(q_.Size(), 4u);
    engine::PacketBuffer* single = nullptr;
    ASSERT_EQ(q_.Take(single), 1);
    EXPECT_EQ(Contents(single), (Bytes{0x45, 1, 2}));
    std::vector<engine::PacketBuffer*> two(2, nullptr);
    ASSERT_EQ(q_.TakeBatch(two), 2u);
    EXPECT_EQ(Contents(two[0]), (Bytes{0x45, 3}));
    EXPECT_EQ(Contents(two[1]), (Bytes{0x45, 4, 5, 6}));
    std::vector<engine::PacketBuffer*> rest(4, nullptr);
    ASSERT_EQ(q_.TakeBatch(rest), 1u);
    EXPECT_EQ(Contents(rest[0]), Bytes{6});
    EXPECT_EQ(rest[1], nullptr);
    EXPECT_EQ(q_.TakeBatch(rest), 0u);
    EXPECT_TRUE(sleeps_.empty());
    // Out of the order taken, with strangers and repeats: each one is found once.
    engine::PacketBuffer stranger;
    q_.ReleaseBatch(std::vector<engine::PacketBuffer*>{&stranger, two[1], nullptr, two[1]});
    EXPECT_EQ(q_.Size(), 3u);
    q_.Release(single);
    q_.ReleaseBatch(std::vector<engine::PacketBuffer*>{two[0], rest[0]});
    EXPECT_EQ(q_.Size(), 0u);
    // With spares at hand, skipped lengths still take none of them.
    q_.PushBatch(bytes.data(), lengths);
    EXPECT_EQ(q_.Size(), 3u);
}

// A backlog far larger than the spares and the ring's first size: every packet comes out once, in
// order, whole, and the buffers are reused for the next round.
TEST_F(PacketQueue, LargeBacklogsComeOutWholeAndInOrderRoundAfterRound) {
    constexpr int kPackets = 70000;
    const auto length = [](int i) { return 1 + i % 300; };  // blocks of 256 and of 512 bytes
    for (int round = 0; round < 2; ++round) {
        Bytes bytes;
        std::vector<std::int32_t> lengths;
        for (int i = 0; i < kPackets; ++i) {
            for (int k = 0; k < length(i); ++k) {
                bytes.push_back(static_cast<std::uint8_t>(i + k));
            }
            lengths.push_back(length(i));
            if (lengths.size() == 256 || i == kPackets - 1) {
                q_.PushBatch(bytes.data(), lengths);
                bytes.clear();
                lengths.clear();
            }
        }
        ASSERT_EQ(q_.Size(), static_cast<std::size_t>(kPackets));
        std::vector<engine::PacketBuffer*> batch(64, nullptr);
        for (int next = 0; next < kPackets;) {
            const std::size_t taken = q_.TakeBatch(batch);
            ASSERT_GT(taken, 0u);
            for (std::size_t j = 0; j < taken; ++j, ++next) {
                ASSERT_EQ(batch[j]->length, length(next));
                ASSERT_EQ(batch[j]->data[0], static_cast<std::uint8_t>(next));
                ASSERT_EQ(batch[j]->data[length(next) - 1],
                          static_cast<std::uint8_t>(next + length(next) - 1));
            }
            q_.ReleaseBatch(std::span<engine::PacketBuffer* const>(batch.data(), taken));
        }
        EXPECT_EQ(q_.Size(), 0u);
    }
}

}  // namespace
