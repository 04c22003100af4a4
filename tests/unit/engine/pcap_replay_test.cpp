// Capture files written here, read back and replayed through the link-layer stripper and the decoder:
// what a Linux capture hands the queue must count exactly like the bare packets.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "decoder_test_packets.h"
#include "engine/link_layer.h"
#include "link_frames.h"
#include "support/pcap_file.h"
#include "support/temp_dir.h"

namespace {

using namespace decoder_test;
using testing_support::GrePacket;
using testing_support::L2tpDownload;
using testing_support::L2tpUpload;
using testing_support::PcapContents;
using testing_support::PcapRecord;
using testing_support::TransportPacket;

constexpr std::uint32_t kSnapLength = 256;

struct Traffic {
    Packet packet;
    std::optional<PacketCount> expected;
};

// A small session: plain TCP and UDP both ways, both tunnels, a stranger's packet and a large segment
// that the snapshot length cuts.
std::vector<Traffic> Session() {
    return {
        {TransportPacket(6, kLocalA, kRemote, 40001, 443, 52), Up(CountProtocol::kTcp, 40001, 12)},
        {TransportPacket(6, kRemote, kLocalA, 443, 40001, 1500), Down(CountProtocol::kTcp, 40001, 1460)},
        {TransportPacket(6, kRemote, kLocalA, 443, 40001, 40), std::nullopt},
        {TransportPacket(17, kLocalB, kRemote, 27015, 27016, 120), Up(CountProtocol::kUdp, 27015, 92)},
        {L2tpUpload(kLocalA, kRemote, TransportPacket(17, kTunnelSide, kRemote, 5000, 5001, 300)),
         Up(CountProtocol::kUdp, 5000, 272)},
        {L2tpDownload(kRemote, kLocalA, TransportPacket(6, kRemote, kTunnelSide, 80, 5002, 1400)),
         Down(CountProtocol::kTcp, 5002, 1360)},
        {GrePacket(kRemote, kLocalB, 16, TransportPacket(17, kRemote, kTunnelSide, 53, 5003, 90)),
         Down(CountProtocol::kUdp, 5003, 62)},
        {TransportPacket(17, kRemote, kOther, 1, 2, 500), std::nullopt},
    };
}

struct Framing {
    const char* name;
    std::uint32_t fileLinkType;
    std::function<Packet(const Packet&)> frame;
};

void PrintTo(const Framing& f, std::ostream* os) {
    *os << f.name;
}

class PcapReplay : public ::testing::TestWithParam<Framing> {};

TEST_P(PcapReplay, StrippedPacketsCountLikeTheBareOnes) {
    const Framing& framing = GetParam();
    const auto session = Session();
    std::vector<PcapRecord> records;
    std::uint32_t second = 1400000000;
    for (const Traffic& t : session) {
        const Packet frame = framing.frame(t.packet);
        PcapRecord r;
        r.bytes.assign(frame.begin(), frame.begin() + std::min<std::size_t>(frame.size(), kSnapLength));
        r.wireLength = static_cast<std::uint32_t>(frame.size());
        r.seconds = second++;
        records.push_back(std::move(r));
    }
    // Frames of other protocols share the link and are skipped.
    if (framing.fileLinkType == kLinkEthernet) {
        records.push_back({link_frames::Ethernet(Packet(28, 0), {0x0806}), 42, second, 0});
    }

    testing_support::TempDir dir;
    const auto file = dir.File("session.pcap");
    testing_support::WriteFileBytes(file,
                                    testing_support::WritePcap(framing.fileLinkType, kSnapLength, records));

    PcapContents contents;
    ASSERT_TRUE(testing_support::ReadPcap(testing_support::ReadFileBytes(file), contents));
    ASSERT_EQ(contents.linkType, framing.fileLinkType);
    ASSERT_EQ(contents.records.size(), records.size());
    std::size_t decoded = 0;
    for (std::size_t i = 0; i < contents.records.size(); ++i) {
        const PcapRecord& r = contents.records[i];
        const auto packet = StripLinkLayer(static_cast<int>(contents.linkType), r.bytes);
        if (i >= session.size()) {
            EXPECT_EQ(packet, std::nullopt) << "record " << i;
            continue;
        }
        ASSERT_TRUE(packet.has_value()) << "record " << i;
        EXPECT_EQ(Decode(Packet(packet->begin(), packet->end())), session[i].expected) << "record " << i;
        ++decoded;
    }
    EXPECT_EQ(decoded, session.size());
}

using namespace link_frames;
INSTANTIATE_TEST_SUITE_P(
    Pcap, PcapReplay,
    ::testing::Values(Framing{"Ethernet", kLinkEthernet, [](const Packet& p) { return Ethernet(p); }},
                      Framing{"Vlan", kLinkEthernet,
                              [](const Packet& p) {
                                  return Ethernet(p, {0x8100, 0x0800});
                              }},
                      Framing{"QinQ", kLinkEthernet,
                              [](const Packet& p) {
                                  return Ethernet(p, {0x88A8, 0x8100, 0x0800});
                              }},
                      Framing{"LinuxSll", kLinkLinuxSll, [](const Packet& p) { return LinuxSll(p); }},
                      Framing{"LinuxSll2", kLinkLinuxSll2, [](const Packet& p) { return LinuxSll2(p); }},
                      Framing{"Raw", kLinkRawFile, [](const Packet& p) { return p; }},
                      Framing{"Ipv4", kLinkIpv4, [](const Packet& p) { return p; }},
                      Framing{"Ppp", kLinkPpp, [](const Packet& p) { return PppFull(p); }},
                      Framing{"Null", kLinkNull, [](const Packet& p) { return NullLittleEndian(p); }},
                      Framing{"Loop", kLinkLoop, [](const Packet& p) { return Loop(p); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PcapFile, ReadsBothByteOrdersAndRejectsACutRecord) {
    const std::vector<PcapRecord> records{{{0x45, 1, 2}, 60, 7, 8}};
    const std::string little = testing_support::WritePcap(kLinkRawFile, 65535, records);
    // The same file written by a big-endian machine.
    std::string big = little;
    const auto swap4 = [&](std::size_t at) {
        std::swap(big[at], big[at + 3]), std::swap(big[at + 1], big[at + 2]);
    };
    swap4(0), std::swap(big[4], big[5]), std::swap(big[6], big[7]);
    for (std::size_t at : {8u, 12u, 16u, 20u, 24u, 28u, 32u, 36u}) {
        swap4(at);
    }
    for (const std::string& file : {little, big}) {
        PcapContents c;
        ASSERT_TRUE(testing_support::ReadPcap(file, c));
        EXPECT_EQ(c.linkType, static_cast<std::uint32_t>(kLinkRawFile));
        EXPECT_EQ(c.snapLength, 65535u);
        ASSERT_EQ(c.records.size(), 1u);
        EXPECT_EQ(c.records[0].bytes, records[0].bytes);
        EXPECT_EQ(c.records[0].wireLength, 60u);
        EXPECT_EQ(c.records[0].seconds, 7u);
        EXPECT_EQ(c.records[0].microseconds, 8u);
    }
    PcapContents c;
    EXPECT_FALSE(testing_support::ReadPcap(little.substr(0, little.size() - 1), c));
    EXPECT_FALSE(testing_support::ReadPcap(little.substr(0, 23), c));
    EXPECT_FALSE(testing_support::ReadPcap("not a capture file at all", c));
}

}  // namespace
