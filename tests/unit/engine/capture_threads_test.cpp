#include "engine/capture_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
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
using testing_support::TransportPacket;

struct Engine {
    std::atomic<std::uint32_t> running{1};
    std::atomic<std::uint32_t> state{1};
    std::atomic<std::uint8_t> refresh{0};
    base::Event snifferEvent{base::EventReset::kManual, true};
    base::Event quitEvent{base::EventReset::kManual, false};
    engine::PacketQueue queue;
    engine::SnifferLinks links;
    engine::SnifferContext context{links, queue};

    explicit Engine(engine::IPacketCounter& counter)
        : links{running, state, snifferEvent, quitEvent, kLocals, counter, refresh} {}
};

TEST(DealWithRecvData, CountsQueuedPacketsAsksForARefreshOnAMissAndEndsWithTheRunningFlag) {
    RecordingCounter counter({443, 27015});
    Engine engine(counter);
    counter.Expect(3);
    base::WorkerThread decoder;
    ASSERT_TRUE(decoder.Start([&] { engine::DealWithRecvData(engine.context); }));
    Push(engine.queue, TransportPacket(6, kLocalA, kRemote, 443, 50000, 1500));
    Push(engine.queue,
         TransportPacket(17, kRemote, kOther, 1, 2, 100));  // not ours: never reaches the counter
    Push(engine.queue, TransportPacket(17, kLocalB, kRemote, 27015, 27016, 300));
    Push(engine.queue, TransportPacket(17, kRemote, kLocalA, 53, 41000, 90));  // port not in the table
    ASSERT_TRUE(counter.WaitForExpected(5000));
    engine.running = 0;
    ASSERT_TRUE(decoder.Join(2000));
    EXPECT_EQ(counter.Counted(),
              (std::vector<engine::PacketCount>{Up(engine::CountProtocol::kTcp, 443, 1460),
                                                Up(engine::CountProtocol::kUdp, 27015, 272),
                                                Down(engine::CountProtocol::kUdp, 41000, 62)}));
    EXPECT_EQ(engine.refresh.load(), 1);
    EXPECT_EQ(engine.queue.Size(), 0u);
}

TEST(DealWithRecvData, KnownPortsLeaveTheRefreshFlagAlone) {
    RecordingCounter counter({443});
    Engine engine(counter);
    counter.Expect(1);
    base::WorkerThread decoder;
    ASSERT_TRUE(decoder.Start([&] { engine::DealWithRecvData(engine.context); }));
    Push(engine.queue, TransportPacket(6, kLocalA, kRemote, 443, 50000, 100));
    ASSERT_TRUE(counter.WaitForExpected(5000));
    engine.running = 0;
    ASSERT_TRUE(decoder.Join(2000));
    EXPECT_EQ(engine.refresh.load(), 0);
}

TEST(DealWithL2TPVPN, MissingInnerPacketIsLogged) {
    testing_support::LogCapture log;
    EXPECT_EQ(engine::DealWithL2TPVPN({}, 2), std::nullopt);
    EXPECT_EQ(engine::DealWithGreVPN({}, 1), std::nullopt);
    EXPECT_EQ(log.CountStartingWith("参数无效 in DealWithL2TPVPN，error no = "), 1);
    EXPECT_EQ(log.CountStartingWith("参数无效 in DealWithGreVPN，error no = "), 1);
}

}  // namespace
