#include "engine/capture_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/event.h"
#include "base/worker_thread.h"
#include "decoder_test_packets.h"
#include "engine/packet_counter.h"
#include "engine/packet_queue.h"
#include "engine/sniffer_context.h"
#include "recording_counter.h"
#include "support/log_capture.h"

namespace {

using namespace decoder_test;
using enum engine::CountProtocol;
using testing_support::TransportPacket;

TEST(DealWithPacketBatch, CountsInOrderReportsAMissingPortAndReleasesTheWholeBatch) {
    testing_support::LogCapture log;
    engine::PacketQueue q([](std::chrono::milliseconds) {});  // an empty take returns at once
    RecordingCounter counter({443, 27015});
    counter.ThrowOnPort(81);
    EXPECT_EQ(engine::DealWithPacketBatch(q, kLocals, counter).taken, 0u);
    Push(q, TransportPacket(6, kLocalA, kRemote, 443, 50000, 100));
    Push(q, TransportPacket(17, kRemote, kOther, 1, 2, 100));   // not ours
    Push(q, TransportPacket(6, kLocalA, kRemote, 81, 9, 100));  // the counter fails for this one alone
    Push(q, TransportPacket(17, kRemote, kLocalB, 53, 27015, 300));
    Push(q, TransportPacket(6, kLocalA, kRemote, 443, 50000, 40));  // a bare acknowledgement
    engine::BatchOutcome outcome = engine::DealWithPacketBatch(q, kLocals, counter);
    EXPECT_EQ(outcome.taken, 5u);
    EXPECT_EQ(outcome.counted, 2u);
    EXPECT_FALSE(outcome.portMissing);
    EXPECT_EQ(q.Size(), 0u);
    EXPECT_EQ(log.CountStartingWith("catac execption in DealWithRecvData，error no = "), 1);
    EXPECT_EQ(counter.Counted(),
              (std::vector<engine::PacketCount>{Up(kTcp, 443, 60), Down(kUdp, 27015, 272)}));

    Push(q, TransportPacket(17, kRemote, kLocalA, 53, 41000, 90));  // port not in the table
    Push(q, TransportPacket(6, kLocalA, kRemote, 443, 50000, 100));
    outcome = engine::DealWithPacketBatch(q, kLocals, counter);
    EXPECT_EQ(outcome.taken, 2u);
    EXPECT_EQ(outcome.counted, 1u);
    EXPECT_TRUE(outcome.portMissing);
    EXPECT_EQ(counter.Counted().size(), 4u);
}

// The decoder steps aside between batches so that requests waiting for the engine lock get it.
TEST(DealWithRecvData, CountsQueuedPacketsAsksForARefreshOnAMissAndStepsAsideBetweenBatches) {
    std::atomic<std::uint32_t> running{1}, state{1};
    std::atomic<std::uint8_t> refresh{0};
    base::Event snifferEvent{base::EventReset::kManual, true}, quitEvent{base::EventReset::kManual, false};
    RecordingCounter counter({443});
    engine::PacketQueue queue;
    engine::SnifferLinks links{running, state, snifferEvent, quitEvent, kLocals, counter, refresh};
    engine::SnifferContext context{links, queue};
    base::WorkerThread decoder;
    ASSERT_TRUE(decoder.Start([&] { engine::DealWithRecvData(context); }));
    counter.Expect(1);  // a known port leaves the refresh flag alone
    Push(queue, TransportPacket(6, kLocalA, kRemote, 443, 50000, 1500));
    ASSERT_TRUE(counter.WaitForExpected(5000));
    EXPECT_EQ(refresh.load(), 0);
    Push(queue, TransportPacket(17, kRemote, kLocalA, 53, 41000, 90));  // port not in the table
    for (int i = 0; i < 5000 && refresh.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    running = 0;
    ASSERT_TRUE(decoder.Join(2000));
    EXPECT_EQ(counter.Counted(),
              (std::vector<engine::PacketCount>{Up(kTcp, 443, 1460), Down(kUdp, 41000, 62)}));
    EXPECT_EQ(refresh.load(), 1);
    EXPECT_EQ(queue.Size(), 0u);
    EXPECT_GT(counter.stepsAside.load(), 0);
}

}  // namespace
