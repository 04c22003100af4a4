#include "engine/packet_decoder.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "decoder_test_packets.h"

void PrintTo(const engine::PacketCount& c, std::ostream* os) {
    *os << (c.protocol == engine::CountProtocol::kTcp ? "TCP" : "UDP")
        << (c.direction == engine::CountDirection::kUpload ? " up" : " down") << " port " << c.localPort
        << " bytes " << c.bytes;
}

namespace {

using namespace decoder_test;
using testing_support::L2tpDownload;
using testing_support::L2tpUpload;
using testing_support::TransportPacket;

constexpr std::uint8_t kTcp = 6;
constexpr std::uint8_t kUdp = 17;
constexpr std::uint8_t kIcmp = 1;

struct SizeCase {
    const char* name;
    std::uint8_t protocol;
    std::uint16_t totalLength;
    std::optional<std::uint32_t> counted;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.name;
}

class TransportSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(TransportSizes, CountedInBothDirectionsWithTheLocalPort) {
    const SizeCase& c = GetParam();
    const auto protocol = c.protocol == kTcp ? engine::CountProtocol::kTcp : engine::CountProtocol::kUdp;
    const auto up = Decode(TransportPacket(c.protocol, kLocalA, kRemote, 40001, 443, c.totalLength));
    const auto down = Decode(TransportPacket(c.protocol, kRemote, kLocalA, 443, 40002, c.totalLength));
    if (c.counted) {
        EXPECT_EQ(up, Up(protocol, 40001, *c.counted));
        EXPECT_EQ(down, Down(protocol, 40002, *c.counted));
    } else {
        EXPECT_EQ(up, std::nullopt);
        EXPECT_EQ(down, std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, TransportSizes,
    ::testing::Values(SizeCase{"TcpBareAck40", kTcp, 40, std::nullopt}, SizeCase{"Tcp41", kTcp, 41, 1},
                      SizeCase{"TcpWithOptions52", kTcp, 52, 12}, SizeCase{"TcpFull1500", kTcp, 1500, 1460},
                      SizeCase{"TcpLargest", kTcp, 65535, 65495},
                      SizeCase{"UdpEmpty28", kUdp, 28, std::nullopt}, SizeCase{"Udp29", kUdp, 29, 1},
                      SizeCase{"UdpFull1500", kUdp, 1500, 1472},
                      SizeCase{"IcmpIgnored", kIcmp, 100, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Decoder, DirectionComesFromTheLocalAddresses) {
    // Between two local addresses: once, as the sender's upload.
    EXPECT_EQ(Decode(TransportPacket(kUdp, kLocalA, kLocalB, 1111, 2222, 100)),
              Up(engine::CountProtocol::kUdp, 1111, 72));
    EXPECT_EQ(Decode(TransportPacket(kUdp, kLocalB, kLocalA, 2222, 1111, 100)),
              Up(engine::CountProtocol::kUdp, 2222, 72));
    // Seen in receive-all mode but neither end is this machine.
    EXPECT_EQ(Decode(TransportPacket(kTcp, kRemote, kOther, 80, 5000, 1500)), std::nullopt);
    EXPECT_EQ(Decode(TransportPacket(kTcp, kOther, kRemote, 5000, 80, 1500)), std::nullopt);
    // 127.0.0.1 is never a local address.
    const auto loopback = engine::MakeIpv4(127, 0, 0, 1);
    EXPECT_EQ(Decode(TransportPacket(kUdp, loopback, loopback, 1, 2, 100)), std::nullopt);
}

TEST(Decoder, NoLocalAddressesCountsNothing) {
    const Packet p = TransportPacket(kTcp, kLocalA, kRemote, 1, 2, 100);
    EXPECT_EQ(engine::DecodePacket(p, {}), std::nullopt);
}

// L2TP: the outer UDP packet is never counted once the tunnel is opened; the inner packet is.
TEST(DecoderL2tp, UploadOpensTheTunnelWithTheTwoByteProtocolField) {
    const Packet tcp = TransportPacket(kTcp, kTunnelSide, kRemote, 50000, 443, 1000);
    EXPECT_EQ(Decode(L2tpUpload(kLocalA, kRemote, tcp)), Up(engine::CountProtocol::kTcp, 50000, 960));
    const Packet udp = TransportPacket(kUdp, kTunnelSide, kRemote, 27015, 27016, 200);
    EXPECT_EQ(Decode(L2tpUpload(kLocalA, kRemote, udp)), Up(engine::CountProtocol::kUdp, 27015, 172));
}

TEST(DecoderL2tp, DownloadOpensTheTunnelWithTheOneByteProtocolField) {
    const Packet tcp = TransportPacket(kTcp, kRemote, kTunnelSide, 443, 50000, 1000);
    EXPECT_EQ(Decode(L2tpDownload(kRemote, kLocalA, tcp)), Down(engine::CountProtocol::kTcp, 50000, 960));
    const Packet udp = TransportPacket(kUdp, kRemote, kTunnelSide, 27016, 27015, 200);
    EXPECT_EQ(Decode(L2tpDownload(kRemote, kLocalA, udp)), Down(engine::CountProtocol::kUdp, 27015, 172));
}

TEST(DecoderL2tp, InnerPacketFollowsTheSizeRulesAndNothingElse) {
    const auto up = [](const Packet& inner) { return Decode(L2tpUpload(kLocalA, kRemote, inner)); };
    EXPECT_EQ(up(TransportPacket(kTcp, kTunnelSide, kRemote, 7, 8, 40)), std::nullopt);
    EXPECT_EQ(up(TransportPacket(kTcp, kTunnelSide, kRemote, 7, 8, 41)),
              Up(engine::CountProtocol::kTcp, 7, 1));
    EXPECT_EQ(up(TransportPacket(kUdp, kTunnelSide, kRemote, 7, 8, 28)), std::nullopt);
    EXPECT_EQ(up(TransportPacket(kUdp, kTunnelSide, kRemote, 7, 8, 29)),
              Up(engine::CountProtocol::kUdp, 7, 1));
    EXPECT_EQ(up(TransportPacket(kIcmp, kTunnelSide, kRemote, 7, 8, 100)), std::nullopt);
    // No tunnel inside the tunnel: an inner L2TP packet is plain UDP from port 1701.
    const Packet nested =
        L2tpUpload(kTunnelSide, kRemote, TransportPacket(kTcp, kTunnelSide, kRemote, 7, 8, 100));
    EXPECT_EQ(up(nested),
              Up(engine::CountProtocol::kUdp, 1701, static_cast<std::uint32_t>(nested.size() - 28)));
}

TEST(DecoderL2tp, UploadNearMissesCountAsOrdinaryUdpOfPort1701) {
    const Packet inner = TransportPacket(kTcp, kTunnelSide, kRemote, 50000, 443, 100);
    // The one-byte protocol form going up.
    const Packet oneByte = L2tpDownload(kLocalA, kRemote, inner);
    EXPECT_EQ(Decode(oneByte),
              Up(engine::CountProtocol::kUdp, 1701, static_cast<std::uint32_t>(oneByte.size() - 28)));
    // The right field, but L = 40 leaves no inner packet: L > 40 is required.
    Packet forty = TransportPacket(kUdp, kLocalA, kRemote, 1701, 1701, 40);
    testing_support::PutBe16(forty, 38, 0x0021);
    EXPECT_EQ(Decode(forty), Up(engine::CountProtocol::kUdp, 1701, 12));
    // L = 41 passes the test: the tunnel is opened and its one byte counts nothing.
    Packet fortyOne = TransportPacket(kUdp, kLocalA, kRemote, 1701, 1701, 41);
    testing_support::PutBe16(fortyOne, 38, 0x0021);
    EXPECT_EQ(Decode(fortyOne), std::nullopt);
    // 40 bytes or less from port 1701 is plain UDP.
    EXPECT_EQ(Decode(TransportPacket(kUdp, kLocalA, kRemote, 1701, 1701, 29)),
              Up(engine::CountProtocol::kUdp, 1701, 1));
    // Only the source port opens an upload: a client port sending to 1701 is its own traffic.
    Packet toServer = L2tpUpload(kLocalA, kRemote, inner);
    testing_support::PutBe16(toServer, 20, 5555);
    EXPECT_EQ(Decode(toServer),
              Up(engine::CountProtocol::kUdp, 5555, static_cast<std::uint32_t>(toServer.size() - 28)));
}

TEST(DecoderL2tp, DownloadNearMissesCountAsOrdinaryUdpOfPort1701) {
    const Packet inner = TransportPacket(kTcp, kRemote, kTunnelSide, 443, 50000, 100);
    // The two-byte protocol form coming down: byte 36 is the PPP address 0xFF.
    const Packet twoByte = L2tpUpload(kRemote, kLocalA, inner);
    EXPECT_EQ(Decode(twoByte),
              Down(engine::CountProtocol::kUdp, 1701, static_cast<std::uint32_t>(twoByte.size() - 28)));
    // L = 37: no room for an inner packet, plain UDP even with 0x21 at 36.
    Packet thirtySeven = TransportPacket(kUdp, kRemote, kLocalA, 1701, 1701, 37);
    thirtySeven[36] = 0x21;
    EXPECT_EQ(Decode(thirtySeven), Down(engine::CountProtocol::kUdp, 1701, 9));
    // L = 38 opens the tunnel; its one byte counts nothing.
    Packet thirtyEight = TransportPacket(kUdp, kRemote, kLocalA, 1701, 1701, 38);
    thirtyEight[36] = 0x21;
    EXPECT_EQ(Decode(thirtyEight), std::nullopt);
    // Only the destination port opens a download.
    Packet fromServer = L2tpDownload(kRemote, kLocalA, inner);
    testing_support::PutBe16(fromServer, 22, 6666);
    EXPECT_EQ(Decode(fromServer),
              Down(engine::CountProtocol::kUdp, 6666, static_cast<std::uint32_t>(fromServer.size() - 28)));
}

TEST(DecoderTunnels, DirectionOutsideOneAndTwoCountsNothing) {
    const Packet udp = TransportPacket(kUdp, kTunnelSide, kRemote, 7, 8, 100);
    for (const std::uint32_t direction : {0u, 3u, 0xFFFFFFFFu}) {
        EXPECT_EQ(engine::DealWithL2TPVPN(udp, direction), std::nullopt) << direction;
        EXPECT_EQ(engine::DealWithGreVPN(udp, direction), std::nullopt) << direction;
    }
    EXPECT_EQ(engine::DealWithL2TPVPN(udp, 2), Up(engine::CountProtocol::kUdp, 7, 72));
    EXPECT_EQ(engine::DealWithGreVPN(udp, 1), Down(engine::CountProtocol::kUdp, 8, 72));
}

}  // namespace
