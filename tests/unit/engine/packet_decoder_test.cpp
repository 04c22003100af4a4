// Each packet is decoded from an exact-size heap copy of what was captured, so that AddressSanitizer
// reports any read past it. (Random frames are the captured-packet fuzz target's.)

#include "engine/packet_decoder.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

#include "decoder_test_packets.h"
#include "support/log_capture.h"

void PrintTo(const engine::PacketCount& c, std::ostream* os) {
    *os << (c.protocol == engine::CountProtocol::kTcp ? "TCP" : "UDP")
        << (c.direction == engine::CountDirection::kUpload ? " up" : " down") << " port " << c.localPort
        << " bytes " << c.bytes;
}

namespace {

using namespace decoder_test;
using enum engine::CountProtocol;
using testing_support::GrePacket;
using testing_support::L2tpDownload;
using testing_support::L2tpUpload;
using Count = std::optional<engine::PacketCount>;

constexpr std::uint32_t A = kLocalA, B = kLocalB, R = kRemote, O = kOther, T = kTunnelSide;
constexpr Count kNone = std::nullopt;

Packet Tcp(std::uint32_t from, std::uint32_t to, std::uint16_t fromPort, std::uint16_t toPort,
           std::uint16_t total) {
    return testing_support::TransportPacket(6, from, to, fromPort, toPort, total);
}
Packet Udp(std::uint32_t from, std::uint32_t to, std::uint16_t fromPort, std::uint16_t toPort,
           std::uint16_t total) {
    return testing_support::TransportPacket(17, from, to, fromPort, toPort, total);
}
Packet Be16(Packet p, std::size_t at, std::uint16_t value) {
    testing_support::PutBe16(p, at, value);
    return p;
}
Packet Byte(Packet p, std::size_t at, std::uint8_t value) {
    p.at(at) = value;
    return p;
}

struct Case {
    const char* name;
    Packet packet;
    Count expected;
    std::size_t captured = SIZE_MAX;
};

std::vector<Case> Cases() {
    const Packet upTcp = Tcp(T, R, 50000, 443, 1000);
    const Packet downTcp = Tcp(R, T, 443, 50000, 1000), downUdp = Udp(R, T, 27016, 27015, 200);
    const Packet up100 = Tcp(T, R, 50000, 443, 100), down100 = Tcp(R, T, 443, 50000, 100);
    const Packet gre = GrePacket(A, R, 12, Tcp(T, R, 7, 8, 100));  // 133 bytes, P = 101
    Packet padded = Tcp(A, R, 1, 2, 40);
    padded.resize(46, 0xAA);
    std::vector<Case> cases = {
        // Between two local addresses: once, as the sender's upload.
        {"LocalToLocal", Udp(A, B, 1111, 2222, 100), Up(kUdp, 1111, 72)},
        {"NeitherLocal", Tcp(R, O, 80, 5000, 1500), kNone},
        {"EthernetPadding", padded, kNone},
        // L2TP: the outer UDP packet is not counted once the tunnel opens; the inner one is.
        {"L2tpUpTcp", L2tpUpload(A, R, upTcp), Up(kTcp, 50000, 960)},
        {"L2tpDownTcp", L2tpDownload(R, A, downTcp), Down(kTcp, 50000, 960)},
        {"L2tpInnerIcmp", L2tpUpload(A, R, testing_support::TransportPacket(1, T, R, 7, 8, 100)), kNone},
        {"L2tpInL2tpIsUdp", L2tpUpload(A, R, L2tpUpload(T, R, up100)), Up(kUdp, 1701, 112)},
        // Near misses count as ordinary UDP: the wrong protocol form for the direction, L too small
        // (L > 40 up, L > 37 down), or port 1701 at the other end.
        {"UpOneByteForm", L2tpDownload(A, R, up100), Up(kUdp, 1701, 109)},
        {"Up40", Be16(Udp(A, R, 1701, 1701, 40), 38, 0x21), Up(kUdp, 1701, 12)},
        {"Up41", Be16(Udp(A, R, 1701, 1701, 41), 38, 0x21), kNone},
        {"UpToServerPort", Be16(L2tpUpload(A, R, up100), 20, 5555), Up(kUdp, 5555, 112)},
        {"DownTwoByteForm", L2tpUpload(R, A, down100), Down(kUdp, 1701, 112)},
        {"Down37", Byte(Udp(R, A, 1701, 1701, 37), 36, 0x21), Down(kUdp, 1701, 9)},
        {"Down38", Byte(Udp(R, A, 1701, 1701, 38), 36, 0x21), kNone},
        {"DownFromServerPort", Be16(L2tpDownload(R, A, down100), 22, 6666), Down(kUdp, 6666, 109)},
        // GRE: the outer packet must be longer than 61 bytes, P must point at the 0x21 inside it, the
        // protocol type must be PPP.
        {"Gre61", GrePacket(A, R, 8, Udp(T, R, 7, 8, 32)), kNone},
        {"Gre62", GrePacket(A, R, 8, Udp(T, R, 7, 8, 33)), Up(kUdp, 7, 5)},
        {"GreP101", Be16(gre, 24, 101), Up(kTcp, 7, 60)},
        {"GreP0", Be16(gre, 24, 0), kNone},
        {"GreP100", Be16(gre, 24, 100), kNone},
        {"GrePLength", Be16(gre, 24, 133), kNone},
        {"GreIpv4Type", Be16(gre, 22, 0x0800), kNone},
        // Cut by the snapshot length: the total length counts once the port was captured; a tunnel
        // is not guessed at without its protocol field and inner ports.
        {"CutInHeader", Tcp(A, R, 40001, 443, 1500), kNone, 19},
        {"CutTcp22", Tcp(A, R, 40001, 443, 1500), Up(kTcp, 40001, 1460), 22},
        {"CutTcp21", Tcp(A, R, 40001, 443, 1500), kNone, 21},
        {"CutUdp24", Udp(R, A, 443, 40002, 1500), Down(kUdp, 40002, 1472), 24},
        {"CutUdp23", Udp(R, A, 443, 40002, 1500), kNone, 23},
        {"CutL2tpUp39", L2tpUpload(A, R, upTcp), kNone, 39},
        {"CutL2tpUp40", L2tpUpload(A, R, upTcp), kNone, 40},
        {"CutL2tpUp61", L2tpUpload(A, R, upTcp), kNone, 61},
        {"CutL2tpUp62", L2tpUpload(A, R, upTcp), Up(kTcp, 50000, 960), 62},
        {"CutL2tpDown60", L2tpDownload(R, A, downTcp), kNone, 60},
        {"CutL2tpDown61", L2tpDownload(R, A, downTcp), Down(kTcp, 50000, 960), 61},
        {"CutGre25", GrePacket(A, R, 16, upTcp), kNone, 25},
        {"CutGre36", GrePacket(A, R, 16, upTcp), kNone, 36},
        {"CutGre58", GrePacket(A, R, 16, upTcp), kNone, 58},
        {"CutGre59", GrePacket(A, R, 16, upTcp), Up(kTcp, 50000, 960), 59},
    };
    // Every GRE header size: the payload is found from P alone.
    for (const std::size_t header : {8, 12, 16}) {
        cases.push_back({"GreUpTcp", GrePacket(A, R, header, upTcp), Up(kTcp, 50000, 960)});
        cases.push_back({"GreDownUdp", GrePacket(R, A, header, downUdp), Down(kUdp, 27015, 172)});
    }
    return cases;
}

TEST(Decoder, CountsTheRightPacketsWithTheirPortsAndSizes) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode(c.packet, c.captured), c.expected) << c.captured;
    }
    // Plain TCP and UDP in both directions: 40 and 28 bytes of headers, never counted empty.
    const struct {
        std::uint8_t protocol;
        std::uint16_t total;
        std::uint32_t counted;  // 0: nothing
    } sizes[] = {{6, 40, 0},  {6, 41, 1},  {6, 52, 12},      {6, 1500, 1460}, {6, 65535, 65495},
                 {17, 28, 0}, {17, 29, 1}, {17, 1500, 1472}, {1, 100, 0}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << int(s.protocol) << " " << s.total);
        const auto protocol = s.protocol == 6 ? kTcp : kUdp;
        const auto up = Decode(testing_support::TransportPacket(s.protocol, A, R, 40001, 443, s.total));
        const auto down = Decode(testing_support::TransportPacket(s.protocol, R, A, 443, 40002, s.total));
        EXPECT_EQ(up, s.counted ? Up(protocol, 40001, s.counted) : kNone);
        EXPECT_EQ(down, s.counted ? Down(protocol, 40002, s.counted) : kNone);
    }
    EXPECT_EQ(engine::DecodePacket(Tcp(A, R, 1, 2, 100), {}), kNone) << "no local addresses";
}

// A tunnel's payload is handed on with the direction of its outer packet; a missing one is logged.
TEST(Decoder, TunnelPayloadWithoutADirectionOrBytesCountsNothing) {
    testing_support::LogCapture log;
    const Packet udp = Udp(T, R, 7, 8, 100);
    for (const std::uint32_t direction : {0u, 3u}) {
        EXPECT_EQ(engine::DealWithL2TPVPN(udp, direction), kNone) << direction;
        EXPECT_EQ(engine::DealWithGreVPN(udp, direction), kNone) << direction;
    }
    EXPECT_EQ(engine::DealWithL2TPVPN(udp, 2), Up(kUdp, 7, 72));
    EXPECT_EQ(engine::DealWithGreVPN(udp, 1), Down(kUdp, 8, 72));
    EXPECT_EQ(engine::DealWithL2TPVPN({}, 2), kNone);
    EXPECT_EQ(engine::DealWithGreVPN({}, 1), kNone);
    EXPECT_EQ(log.CountStartingWith("参数无效 in DealWithL2TPVPN，error no = "), 1);
    EXPECT_EQ(log.CountStartingWith("参数无效 in DealWithGreVPN，error no = "), 1);
}

}  // namespace
