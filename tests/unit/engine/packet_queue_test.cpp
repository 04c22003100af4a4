#include "engine/packet_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "base/worker_thread.h"

namespace {

using std::chrono::milliseconds;

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

void Push(engine::PacketQueue& q, const std::vector<std::uint8_t>& bytes) {
    q.Push(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

std::vector<std::uint8_t> Contents(const engine::PacketBuffer* b) {
    return {b->data, b->data + b->length};
}

// A queue whose polling sleep is recorded instead of slept; a hook runs at each sleep.
struct RecordedSleeps {
    std::vector<milliseconds> sleeps;
    std::function<void(int)> onSleep;  // gets the number of the sleep, from 1
};

std::unique_ptr<engine::PacketQueue> QueueWith(RecordedSleeps& recorded) {
    return std::make_unique<engine::PacketQueue>([&recorded](milliseconds d) {
        recorded.sleeps.push_back(d);
        if (recorded.onSleep) {
            recorded.onSleep(static_cast<int>(recorded.sleeps.size()));
        }
    });
}

TEST(PacketQueue, HandsOutCopiesOldestFirst) {
    engine::PacketQueue q;
    std::vector<std::uint8_t> first = Bytes({0x45, 1, 2});
    Push(q, first);
    Push(q, Bytes({0x45, 3}));
    first[1] = 99;  // the queue holds its own copy
    engine::PacketBuffer* a = nullptr;
    engine::PacketBuffer* b = nullptr;
    ASSERT_EQ(q.Take(a), 1);
    ASSERT_EQ(q.Take(b), 1);
    EXPECT_EQ(Contents(a), Bytes({0x45, 1, 2}));
    EXPECT_EQ(Contents(b), Bytes({0x45, 3}));
    EXPECT_EQ(a->length, 3);
    q.Release(a);
    q.Release(b);
    EXPECT_EQ(q.Size(), 0u);
}

TEST(PacketQueue, IgnoresMissingBytesAndEmptyPackets) {
    engine::PacketQueue q;
    const std::uint8_t one = 0x45;
    q.Push(nullptr, 10);
    q.Push(&one, 0);
    q.Push(&one, -5);
    EXPECT_EQ(q.Size(), 0u);
    q.Push(&one, 1);
    EXPECT_EQ(q.Size(), 1u);
}

TEST(PacketQueue, TakenBufferIsNeverHandedOutAgain) {
    RecordedSleeps recorded;
    auto q = QueueWith(recorded);
    Push(*q, Bytes({1}));
    Push(*q, Bytes({2}));
    engine::PacketBuffer* first = nullptr;
    ASSERT_EQ(q->Take(first), 1);
    EXPECT_EQ(first->taken.load(), 1);
    // Not released yet: the next take skips it.
    engine::PacketBuffer* second = nullptr;
    ASSERT_EQ(q->Take(second), 1);
    EXPECT_EQ(Contents(second), Bytes({2}));
    // Both taken and still queued: the queue is not empty, so there is no polling, and nothing to hand out.
    engine::PacketBuffer* none = first;
    EXPECT_EQ(q->Take(none), 0);
    EXPECT_EQ(none, nullptr);
    EXPECT_TRUE(recorded.sleeps.empty());
    q->Release(second);
    q->Release(first);
    EXPECT_EQ(q->Size(), 0u);
}

TEST(PacketQueue, ReleaseOfAnUnknownBufferLeavesTheQueueAlone) {
    engine::PacketQueue q;
    Push(q, Bytes({1}));
    engine::PacketBuffer stranger;
    q.Release(&stranger);
    q.Release(nullptr);
    EXPECT_EQ(q.Size(), 1u);
    engine::PacketBuffer* b = nullptr;
    ASSERT_EQ(q.Take(b), 1);
    q.Release(b);
    q.Release(b);  // a second release finds nothing
    EXPECT_EQ(q.Size(), 0u);
}

TEST(PacketQueue, ReleasedBufferCarriesALaterPacketOfItsOwn) {
    engine::PacketQueue q;
    Push(q, Bytes({0x45, 1, 2, 3}));
    engine::PacketBuffer* first = nullptr;
    ASSERT_EQ(q.Take(first), 1);
    q.Release(first);
    // A shorter packet goes into the released block: nothing of the old one shows.
    Push(q, Bytes({0x45, 9}));
    engine::PacketBuffer* second = nullptr;
    ASSERT_EQ(q.Take(second), 1);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->length, 2);
    EXPECT_EQ(second->taken.load(), 1);
    EXPECT_EQ(Contents(second), Bytes({0x45, 9}));
    q.Release(second);
    // One longer than any released block gets a block of its own.
    std::vector<std::uint8_t> large(3000);
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<std::uint8_t>(i * 7);
    }
    Push(q, large);
    engine::PacketBuffer* third = nullptr;
    ASSERT_EQ(q.Take(third), 1);
    EXPECT_EQ(Contents(third), large);
    q.Release(third);
    EXPECT_EQ(q.Size(), 0u);
}

TEST(PacketQueuePolling, EmptyQueueGivesUpAfterTenSleepsOf50Ms) {
    RecordedSleeps recorded;
    auto q = QueueWith(recorded);
    engine::PacketBuffer* b = nullptr;
    EXPECT_EQ(q->Take(b), 0);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(recorded.sleeps, std::vector<milliseconds>(10, milliseconds(50)));
}

TEST(PacketQueuePolling, PacketArrivingDuringTheNinthSleepIsTaken) {
    RecordedSleeps recorded;
    auto q = QueueWith(recorded);
    recorded.onSleep = [&](int n) {
        if (n == 9) {
            Push(*q, Bytes({7}));
        }
    };
    engine::PacketBuffer* b = nullptr;
    ASSERT_EQ(q->Take(b), 1);
    EXPECT_EQ(Contents(b), Bytes({7}));
    EXPECT_EQ(recorded.sleeps.size(), 9u);
    q->Release(b);
}

TEST(PacketQueuePolling, PacketArrivingDuringTheTenthSleepWaitsForTheNextTake) {
    RecordedSleeps recorded;
    auto q = QueueWith(recorded);
    recorded.onSleep = [&](int n) {
        if (n == 10) {
            Push(*q, Bytes({8}));
        }
    };
    engine::PacketBuffer* b = nullptr;
    EXPECT_EQ(q->Take(b), 0);
    EXPECT_EQ(recorded.sleeps.size(), 10u);
    ASSERT_EQ(q->Take(b), 1);
    EXPECT_EQ(Contents(b), Bytes({8}));
    EXPECT_EQ(recorded.sleeps.size(), 10u);
    q->Release(b);
}

// The real sleep: about half a second of wall time (the processor time is checked on Linux).
TEST(PacketQueuePolling, EmptyTakeGivesUpAfterAboutHalfASecond) {
    engine::PacketQueue q;
    engine::PacketBuffer* b = nullptr;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(q.Take(b), 0);
    const auto wall = std::chrono::steady_clock::now() - before;
    EXPECT_GE(wall, milliseconds(490));
    EXPECT_LT(wall, milliseconds(3000));
}

TEST(PacketQueueThreads, ConcurrentProducersLoseNothingAndKeepTheirOrder) {
    constexpr int kProducers = 3;
    constexpr int kPerProducer = 5000;
    engine::PacketQueue q;
    std::vector<std::unique_ptr<base::WorkerThread>> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.push_back(std::make_unique<base::WorkerThread>());
        ASSERT_TRUE(producers.back()->Start([&q, p] {
            for (int i = 0; i < kPerProducer; ++i) {
                const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(p),
                                               static_cast<std::uint8_t>(i >> 8),
                                               static_cast<std::uint8_t>(i)};
                q.Push(bytes, 3);
            }
        }));
    }
    int next[kProducers] = {};
    int received = 0;
    // Bounded: an empty take costs half a second, so a lost packet ends the loop instead of hanging it.
    for (int emptyTakes = 0; received < kProducers * kPerProducer && emptyTakes < 4;) {
        engine::PacketBuffer* b = nullptr;
        if (q.Take(b) == 0) {
            ++emptyTakes;
            continue;
        }
        ASSERT_EQ(b->length, 3);
        const int p = b->data[0];
        ASSERT_LT(p, kProducers);
        EXPECT_EQ(b->data[1] << 8 | b->data[2], next[p]) << "producer " << p;
        ++next[p];
        ++received;
        q.Release(b);
    }
    for (auto& t : producers) {
        ASSERT_TRUE(t->Join(10000));
    }
    EXPECT_EQ(received, kProducers * kPerProducer);
    EXPECT_EQ(q.Size(), 0u);
}

}  // namespace
