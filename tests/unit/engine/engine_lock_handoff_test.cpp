// The engine lock under a flood: the decoder takes it packet after packet, and a plugin request or the
// statistics tick that waits for it still gets it, because the decoder steps aside between batches.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/lock.h"
#include "base/worker_thread.h"
#include "decoder_test_packets.h"
#include "engine/capture_threads.h"
#include "engine/packet_queue.h"
#include "engine/port_table_counter.h"
#include "engine/process_names.h"
#include "engine/process_table.h"
#include "engine/sniffer_context.h"
#include "engine_fakes.h"

namespace {

using namespace decoder_test;
using Clock = std::chrono::steady_clock;

// Polls `done` every millisecond for at most 10 s.
template <typename Done>
bool Eventually(Done done) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Without the hand-off the releasing thread usually takes the lock again before the woken thread runs;
// twenty rounds make that all but certain to show.
TEST(EngineLockHandOff, AThreadBlockedOnTheLockGetsItBeforeTheYieldingThreadTakesItAgain) {
    for (int round = 0; round < 20; ++round) {
        base::ReentrantLock lock;
        std::atomic<bool> waiterHadIt{false};
        lock.lock();
        lock.lock();  // re-entrant
        lock.unlock();
        base::WorkerThread waiter;
        ASSERT_TRUE(waiter.Start([&] {
            base::AutoLock hold(lock);
            waiterHadIt = true;
        }));
        ASSERT_TRUE(Eventually([&] { return lock.Waiting() == 1; }));
        EXPECT_FALSE(waiterHadIt);
        lock.unlock();
        lock.YieldToWaiters();
        lock.lock();
        EXPECT_TRUE(waiterHadIt) << "round " << round;
        EXPECT_EQ(lock.Waiting(), 0u);
        lock.unlock();
        ASSERT_TRUE(waiter.Join(10000));
    }
}

constexpr std::uint16_t kFloodPort = 27015;

// The real port table (one UDP port of one process) counted by the real decoder thread, with a
// producer that keeps a backlog in the queue: the decoder never runs out of packets.
struct Flood {
    base::ReentrantLock engineLock;
    engine_test::FakeSocketTable sockets;
    engine_test::FakeProcessSource processes;
    engine::ProcessNames names{processes};
    engine_test::FakeClock clock;
    engine::ProcessTable table{engineLock, sockets, names, clock};
    engine::PortTableCounter counter{table};
    std::atomic<std::uint32_t> running{1};
    std::atomic<std::uint32_t> state{1};
    std::atomic<std::uint8_t> refresh{0};
    base::Event snifferEvent{base::EventReset::kManual, true};
    base::Event quitEvent{base::EventReset::kManual, false};
    engine::PacketQueue queue;
    engine::SnifferLinks links{running, state, snifferEvent, quitEvent, kLocals, counter, refresh};
    engine::SnifferContext context{links, queue};
    std::atomic<bool> producing{true};
    base::WorkerThread producer;
    base::WorkerThread decoder;

    Flood() {
        processes.Add(100, u"GameClient.exe");
        sockets.udp.push_back(engine::UdpRow{kLocalA, kFloodPort, 100});
        EXPECT_EQ(table.InitProcessList(), 0u);
    }
    ~Flood() {
        producing = false;
        running = 0;
        producer.Join(10000);
        decoder.Join(10000);
    }
    bool Start() {
        const Packet packet = testing_support::TransportPacket(17, kLocalA, kRemote, kFloodPort, 53, 100);
        std::vector<std::uint8_t> bytes;
        std::vector<std::int32_t> lengths;
        for (int i = 0; i < 256; ++i) {
            bytes.insert(bytes.end(), packet.begin(), packet.end());
            lengths.push_back(static_cast<std::int32_t>(packet.size()));
        }
        return producer.Start([this, bytes, lengths] {
            while (producing) {
                if (queue.Size() < 20000) {
                    queue.PushBatch(bytes.data(), lengths);
                } else {
                    std::this_thread::yield();
                }
            }
        }) && decoder.Start([this] { engine::DealWithRecvData(context); });
    }
    std::uint64_t Counted() {
        base::AutoLock hold(engineLock);
        return table.FindPortRecord(kFloodPort)->bytesUp;
    }
};

TEST(EngineLockHandOff, RequestsGetTheEngineLockWhileTheDecoderWorksThroughABacklog) {
    Flood flood;
    ASSERT_TRUE(flood.Start());
    ASSERT_TRUE(Eventually([&] { return flood.Counted() > 0 && flood.queue.Size() > 1000; }));
    // Each hold is what a plugin request or the statistics tick does: read under the engine lock, now
    // and then.
    std::uint64_t last = 0;
    int rising = 0;
    for (int i = 0; i < 200; ++i) {
        const std::uint64_t now = flood.Counted();
        rising += now > last;
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The decoder was counting meanwhile: the requests interleaved with it rather than waiting for an
    // empty queue. (How often it moves between two requests depends on the scheduler: under Wine on a
    // loaded machine about one sample in eight.)
    EXPECT_GT(rising, 0);
    EXPECT_GT(flood.queue.Size(), 0u);
}

}  // namespace
