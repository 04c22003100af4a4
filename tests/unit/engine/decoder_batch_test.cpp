// The decoder's batches: what one DealWithPacketBatch takes, counts and releases.

#include <gtest/gtest.h>

#include <vector>

#include "decoder_test_packets.h"
#include "engine/capture_threads.h"
#include "engine/packet_queue.h"
#include "recording_counter.h"
#include "support/log_capture.h"

namespace {

using namespace decoder_test;
using testing_support::TransportPacket;

TEST(DealWithPacketBatch, OutcomeForEachKindOfPacketAndTheBufferIsAlwaysFreed) {
    engine::PacketQueue q([](std::chrono::milliseconds) {});  // an empty take returns at once
    RecordingCounter counter({443});
    const engine::BatchOutcome none = engine::DealWithPacketBatch(q, kLocals, counter);
    EXPECT_EQ(none.taken, 0u);
    const engine::BatchOutcome notOurs =
        DealWithOne(q, TransportPacket(6, kRemote, kOther, 1, 2, 100), counter);
    EXPECT_EQ(notOurs.taken, 1u);
    EXPECT_EQ(notOurs.counted, 0u);
    EXPECT_FALSE(notOurs.portMissing);
    const engine::BatchOutcome bareAck =
        DealWithOne(q, TransportPacket(6, kLocalA, kRemote, 443, 50000, 40), counter);
    EXPECT_EQ(bareAck.counted, 0u);
    EXPECT_FALSE(bareAck.portMissing);
    EXPECT_EQ(DealWithOne(q, TransportPacket(6, kLocalA, kRemote, 443, 50000, 100), counter).counted, 1u);
    const engine::BatchOutcome missing =
        DealWithOne(q, TransportPacket(17, kRemote, kLocalA, 53, 40000, 100), counter);
    EXPECT_EQ(missing.counted, 0u);
    EXPECT_TRUE(missing.portMissing);
    EXPECT_EQ(q.Size(), 0u);
    EXPECT_EQ(counter.Counted(),
              (std::vector<engine::PacketCount>{Up(engine::CountProtocol::kTcp, 443, 60),
                                                Down(engine::CountProtocol::kUdp, 40000, 72)}));
}

TEST(DealWithPacketBatch, CountsEveryPacketOfTheBatchInOrderAndReleasesThemAll) {
    engine::PacketQueue q([](std::chrono::milliseconds) {});
    RecordingCounter counter({443, 27015});
    Push(q, TransportPacket(6, kLocalA, kRemote, 443, 50000, 100));
    Push(q, TransportPacket(17, kRemote, kOther, 1, 2, 100));  // not ours
    Push(q, TransportPacket(17, kRemote, kLocalB, 53, 27015, 300));
    Push(q, TransportPacket(6, kLocalA, kRemote, 443, 50000, 40));  // a bare acknowledgement
    const engine::BatchOutcome outcome = engine::DealWithPacketBatch(q, kLocals, counter);
    EXPECT_EQ(outcome.taken, 4u);
    EXPECT_EQ(outcome.counted, 2u);
    EXPECT_FALSE(outcome.portMissing);
    EXPECT_EQ(q.Size(), 0u);
    EXPECT_EQ(counter.Counted(),
              (std::vector<engine::PacketCount>{Up(engine::CountProtocol::kTcp, 443, 60),
                                                Down(engine::CountProtocol::kUdp, 27015, 272)}));
}

TEST(DealWithPacketBatch, AMissingPortIsReportedAndTheRestStillCount) {
    engine::PacketQueue q([](std::chrono::milliseconds) {});
    RecordingCounter counter({443});
    Push(q, TransportPacket(17, kRemote, kLocalA, 53, 41000, 90));  // port not in the table
    Push(q, TransportPacket(6, kLocalA, kRemote, 443, 50000, 100));
    const engine::BatchOutcome outcome = engine::DealWithPacketBatch(q, kLocals, counter);
    EXPECT_EQ(outcome.taken, 2u);
    EXPECT_EQ(outcome.counted, 1u);
    EXPECT_TRUE(outcome.portMissing);
    EXPECT_EQ(counter.Counted().size(), 2u);
}

TEST(DealWithPacketBatch, ACounterFailureIsLoggedForThatPacketAlone) {
    testing_support::LogCapture log;
    engine::PacketQueue q([](std::chrono::milliseconds) {});
    RecordingCounter counter({80, 82});
    counter.ThrowOnPort(81);
    Push(q, TransportPacket(6, kLocalA, kRemote, 80, 9, 100));
    Push(q, TransportPacket(6, kLocalA, kRemote, 81, 9, 100));
    Push(q, TransportPacket(6, kLocalA, kRemote, 82, 9, 100));
    const engine::BatchOutcome outcome = engine::DealWithPacketBatch(q, kLocals, counter);
    EXPECT_EQ(outcome.taken, 3u);
    EXPECT_EQ(outcome.counted, 2u);
    EXPECT_EQ(log.CountStartingWith("catac execption in DealWithRecvData，error no = "), 1);
    EXPECT_EQ(q.Size(), 0u);
    EXPECT_EQ(counter.Counted(), (std::vector<engine::PacketCount>{Up(engine::CountProtocol::kTcp, 80, 60),
                                                                   Up(engine::CountProtocol::kTcp, 82, 60)}));
}

TEST(DealWithPacketBatch, TakesAtMostABatchAndLeavesTheRestQueuedInOrder) {
    engine::PacketQueue q([](std::chrono::milliseconds) {});
    RecordingCounter counter({});
    for (std::uint16_t i = 0; i < engine::kDecoderBatch + 10; ++i) {
        Push(q, TransportPacket(17, kLocalA, kRemote, static_cast<std::uint16_t>(1000 + i), 53, 100));
    }
    EXPECT_EQ(engine::DealWithPacketBatch(q, kLocals, counter).taken, engine::kDecoderBatch);
    EXPECT_EQ(q.Size(), 10u);
    EXPECT_EQ(engine::DealWithPacketBatch(q, kLocals, counter).taken, 10u);
    const auto counted = counter.Counted();
    ASSERT_EQ(counted.size(), engine::kDecoderBatch + 10);
    for (std::size_t i = 0; i < counted.size(); ++i) {
        EXPECT_EQ(counted[i].localPort, 1000 + i);
    }
    // An empty queue: nothing taken once its polling gives up.
    EXPECT_EQ(engine::DealWithPacketBatch(q, kLocals, counter).taken, 0u);
}

}  // namespace
