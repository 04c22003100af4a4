// Packets cut short by the capture's snapshot length or padded by the link. Each is decoded from an
// exact-size heap copy, so a read past the captured bytes fails under AddressSanitizer. (Random frames
// are the captured-packet fuzz target's.)

#include <gtest/gtest.h>

#include <optional>

#include "decoder_test_packets.h"
#include "engine/packet_decoder.h"

namespace {

using namespace decoder_test;
using testing_support::GrePacket;
using testing_support::L2tpDownload;
using testing_support::L2tpUpload;
using testing_support::PutBe16;
using testing_support::TransportPacket;

constexpr std::uint8_t kTcp = 6;
constexpr std::uint8_t kUdp = 17;

TEST(DecoderSnapshot, CountsTheTotalLengthWhenThePortWasCaptured) {
    const Packet up = TransportPacket(kTcp, kLocalA, kRemote, 40001, 443, 1500);
    EXPECT_EQ(Decode(up, 22), Up(engine::CountProtocol::kTcp, 40001, 1460));
    EXPECT_EQ(Decode(up, 21), std::nullopt);
    const Packet down = TransportPacket(kUdp, kRemote, kLocalA, 443, 40002, 1500);
    EXPECT_EQ(Decode(down, 24), Down(engine::CountProtocol::kUdp, 40002, 1472));
    EXPECT_EQ(Decode(down, 23), std::nullopt);
    for (std::size_t captured = 0; captured < 20; ++captured) {
        EXPECT_EQ(Decode(up, captured), std::nullopt) << captured;
    }
}

TEST(DecoderSnapshot, L2tpWithoutItsProtocolFieldCountsNothing) {
    const Packet inner = TransportPacket(kTcp, kTunnelSide, kRemote, 50000, 443, 1000);
    const Packet up = L2tpUpload(kLocalA, kRemote, inner);
    // Without bytes 38 and 39 the packet may or may not be a tunnel: it is not guessed at.
    EXPECT_EQ(Decode(up, 39), std::nullopt);
    EXPECT_EQ(Decode(up, 40), std::nullopt);
    EXPECT_EQ(Decode(up, 61), std::nullopt);
    EXPECT_EQ(Decode(up, 62), Up(engine::CountProtocol::kTcp, 50000, 960));

    const Packet down =
        L2tpDownload(kRemote, kLocalA, TransportPacket(kTcp, kRemote, kTunnelSide, 443, 50000, 1000));
    EXPECT_EQ(Decode(down, 36), std::nullopt);
    EXPECT_EQ(Decode(down, 37), std::nullopt);
    EXPECT_EQ(Decode(down, 37 + 23), std::nullopt);
    EXPECT_EQ(Decode(down, 37 + 24), Down(engine::CountProtocol::kTcp, 50000, 960));
}

TEST(DecoderSnapshot, GreNeedsThePayloadStartAndTheInnerPorts) {
    const Packet p = GrePacket(kLocalA, kRemote, 16, TransportPacket(kTcp, kTunnelSide, kRemote, 7, 8, 1000));
    EXPECT_EQ(Decode(p, 25), std::nullopt);
    EXPECT_EQ(Decode(p, 36), std::nullopt);       // the 0x21 at 36 is not captured
    EXPECT_EQ(Decode(p, 37 + 21), std::nullopt);  // the inner source port is cut
    EXPECT_EQ(Decode(p, 37 + 22), Up(engine::CountProtocol::kTcp, 7, 960));
}

// Ethernet pads short frames; the bytes beyond the total length are never read as packet data.
TEST(DecoderPadding, BytesBeyondTheTotalLengthAreIgnored) {
    Packet ack = TransportPacket(kTcp, kLocalA, kRemote, 1, 2, 40);
    ack.resize(46, 0xAA);
    EXPECT_EQ(Decode(ack), std::nullopt);

    // L = 41 from port 1701 opens the tunnel with a one-byte inner packet; the padding behind it looks
    // like a whole inner UDP packet but lies beyond L.
    Packet shortTunnel = TransportPacket(kUdp, kLocalA, kRemote, 1701, 1701, 41);
    PutBe16(shortTunnel, 38, 0x0021);
    const Packet lookalike = TransportPacket(kUdp, kTunnelSide, kRemote, 9, 9, 100);
    shortTunnel.insert(shortTunnel.end(), lookalike.begin() + 1, lookalike.end());
    EXPECT_EQ(Decode(shortTunnel), std::nullopt);

    // A header that claims fewer than 20 bytes is garbage.
    Packet tiny = TransportPacket(kTcp, kLocalA, kRemote, 1, 2, 100);
    PutBe16(tiny, 2, 19);
    EXPECT_EQ(Decode(tiny), std::nullopt);
}

}  // namespace
