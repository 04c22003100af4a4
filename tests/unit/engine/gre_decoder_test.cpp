#include <gtest/gtest.h>

#include <optional>

#include "decoder_test_packets.h"
#include "engine/packet_decoder.h"

namespace {

using namespace decoder_test;
using testing_support::GrePacket;
using testing_support::PutBe16;
using testing_support::TransportPacket;

constexpr std::uint8_t kTcp = 6;
constexpr std::uint8_t kUdp = 17;

class GreHeaders : public ::testing::TestWithParam<std::size_t> {};

// The PPP payload is located from its length P alone, so every header size gives the same count.
TEST_P(GreHeaders, TunnelledTcpAndUdpInBothDirections) {
    const std::size_t header = GetParam();
    const Packet upTcp = TransportPacket(kTcp, kTunnelSide, kRemote, 50000, 443, 1000);
    const Packet upUdp = TransportPacket(kUdp, kTunnelSide, kRemote, 27015, 27016, 200);
    const Packet downTcp = TransportPacket(kTcp, kRemote, kTunnelSide, 443, 50000, 1000);
    const Packet downUdp = TransportPacket(kUdp, kRemote, kTunnelSide, 27016, 27015, 200);
    EXPECT_EQ(Decode(GrePacket(kLocalA, kRemote, header, upTcp)),
              Up(engine::CountProtocol::kTcp, 50000, 960));
    EXPECT_EQ(Decode(GrePacket(kLocalA, kRemote, header, upUdp)),
              Up(engine::CountProtocol::kUdp, 27015, 172));
    EXPECT_EQ(Decode(GrePacket(kRemote, kLocalA, header, downTcp)),
              Down(engine::CountProtocol::kTcp, 50000, 960));
    EXPECT_EQ(Decode(GrePacket(kRemote, kLocalA, header, downUdp)),
              Down(engine::CountProtocol::kUdp, 27015, 172));
}

INSTANTIATE_TEST_SUITE_P(DecoderGre, GreHeaders, ::testing::Values(8, 12, 16));

TEST(DecoderGre, OuterPacketMustBeLongerThan61Bytes) {
    // 20 + 8 + 1 + L' : an inner UDP packet of 32 bytes makes L = 61, of 33 bytes L = 62.
    const Packet at61 = GrePacket(kLocalA, kRemote, 8, TransportPacket(kUdp, kTunnelSide, kRemote, 7, 8, 32));
    const Packet at62 = GrePacket(kLocalA, kRemote, 8, TransportPacket(kUdp, kTunnelSide, kRemote, 7, 8, 33));
    ASSERT_EQ(at61.size(), 61u);
    EXPECT_EQ(Decode(at61), std::nullopt);
    EXPECT_EQ(Decode(at62), Up(engine::CountProtocol::kUdp, 7, 5));
}

TEST(DecoderGre, PayloadLengthMustFallInsideThePacket) {
    const Packet good =
        GrePacket(kLocalA, kRemote, 12, TransportPacket(kTcp, kTunnelSide, kRemote, 7, 8, 100));
    const auto withP = [&](std::uint16_t p) {
        Packet changed = good;
        PutBe16(changed, 24, p);
        return Decode(changed);
    };
    const auto length = static_cast<std::uint16_t>(good.size());
    EXPECT_EQ(withP(101), Up(engine::CountProtocol::kTcp, 7, 60));
    EXPECT_EQ(withP(0), std::nullopt);
    EXPECT_EQ(withP(length), std::nullopt);
    EXPECT_EQ(withP(static_cast<std::uint16_t>(length + 1)), std::nullopt);
    EXPECT_EQ(withP(0xFFFF), std::nullopt);
    // One byte more or less than the real payload points at a byte other than 0x21.
    EXPECT_EQ(withP(102), std::nullopt);
    EXPECT_EQ(withP(100), std::nullopt);
}

TEST(DecoderGre, ProtocolTypeMustBePpp) {
    Packet p = GrePacket(kLocalA, kRemote, 8, TransportPacket(kTcp, kTunnelSide, kRemote, 7, 8, 100));
    PutBe16(p, 22, 0x0800);
    EXPECT_EQ(Decode(p), std::nullopt);
    PutBe16(p, 22, 0x0B88);
    EXPECT_EQ(Decode(p), std::nullopt);
}

TEST(DecoderGre, FlagsAreNotChecked) {
    Packet p = GrePacket(kRemote, kLocalA, 16, TransportPacket(kUdp, kRemote, kTunnelSide, 8, 9, 100));
    PutBe16(p, 20, 0xFFFF);
    EXPECT_EQ(Decode(p), Down(engine::CountProtocol::kUdp, 9, 72));
}

TEST(DecoderGre, InnerPacketFollowsTheSizeRules) {
    const auto down = [](const Packet& inner) { return Decode(GrePacket(kRemote, kLocalA, 8, inner)); };
    EXPECT_EQ(down(TransportPacket(kTcp, kRemote, kTunnelSide, 8, 9, 40)), std::nullopt);
    EXPECT_EQ(down(TransportPacket(kTcp, kRemote, kTunnelSide, 8, 9, 41)),
              Down(engine::CountProtocol::kTcp, 9, 1));
    EXPECT_EQ(down(TransportPacket(kUdp, kRemote, kTunnelSide, 8, 9, 33)),
              Down(engine::CountProtocol::kUdp, 9, 5));
    EXPECT_EQ(down(TransportPacket(1, kRemote, kTunnelSide, 8, 9, 100)), std::nullopt);
}

TEST(DecoderGre, NotLocalEitherWayIsIgnored) {
    const Packet inner = TransportPacket(kTcp, kTunnelSide, kRemote, 7, 8, 100);
    EXPECT_EQ(Decode(GrePacket(kRemote, kOther, 8, inner)), std::nullopt);
}

}  // namespace
