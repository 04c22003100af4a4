// Capture files written here and read back by libpcap, the reader of the real captures: every frame,
// cut to the snapshot length, strips under the link type libpcap reports and counts exactly like the
// bare packet.

#include <pcap/pcap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "base/scoped_handle_linux.h"
#include "decoder_test_packets.h"
#include "engine/link_layer.h"
#include "link_frames.h"
#include "support/pcap_file.h"
#include "support/temp_dir.h"

namespace {

using namespace decoder_test;
using namespace link_frames;
using testing_support::GrePacket;
using testing_support::L2tpDownload;
using testing_support::L2tpUpload;
using testing_support::PcapRecord;
using testing_support::TransportPacket;

constexpr std::size_t kSnapLength = 256;

struct Traffic {
    Packet packet;
    std::optional<engine::PacketCount> expected;
};

// A small session: plain TCP and UDP both ways, both tunnels, a stranger's packet and a large segment
// that the snapshot length cuts.
std::vector<Traffic> Session() {
    return {
        {TransportPacket(6, kLocalA, kRemote, 40001, 443, 52), Up(engine::CountProtocol::kTcp, 40001, 12)},
        {TransportPacket(6, kRemote, kLocalA, 443, 40001, 1500),
         Down(engine::CountProtocol::kTcp, 40001, 1460)},
        {TransportPacket(6, kRemote, kLocalA, 443, 40001, 40), std::nullopt},
        {TransportPacket(17, kLocalB, kRemote, 27015, 27016, 120),
         Up(engine::CountProtocol::kUdp, 27015, 92)},
        {L2tpUpload(kLocalA, kRemote, TransportPacket(17, kTunnelSide, kRemote, 5000, 5001, 300)),
         Up(engine::CountProtocol::kUdp, 5000, 272)},
        {L2tpDownload(kRemote, kLocalA, TransportPacket(6, kRemote, kTunnelSide, 80, 5002, 1400)),
         Down(engine::CountProtocol::kTcp, 5002, 1360)},
        {GrePacket(kRemote, kLocalB, 16, TransportPacket(17, kRemote, kTunnelSide, 53, 5003, 90)),
         Down(engine::CountProtocol::kUdp, 5003, 62)},
        {TransportPacket(17, kRemote, kOther, 1, 2, 500), std::nullopt},
    };
}

struct Framing {
    const char* name;
    std::uint32_t fileLinkType;
    int dlt;  // what libpcap reports for it: raw IP files as DLT_RAW
    Packet (*frame)(const Packet&);
};

TEST(PcapReplay, LibpcapReadsEveryFramingAndItsPacketsCountLikeTheBareOnes) {
    const Framing framings[] = {
        {"Ethernet", engine::kLinkEthernet, DLT_EN10MB, [](const Packet& p) { return Ethernet(p); }},
        {"Vlan", engine::kLinkEthernet, DLT_EN10MB,
         [](const Packet& p) {
             return Ethernet(p, {0x8100, 0x0800});
         }},
        {"QinQ", engine::kLinkEthernet, DLT_EN10MB,
         [](const Packet& p) {
             return Ethernet(p, {0x88A8, 0x8100, 0x0800});
         }},
        {"LinuxSll", engine::kLinkLinuxSll, DLT_LINUX_SLL, [](const Packet& p) { return LinuxSll(p); }},
        {"LinuxSll2", engine::kLinkLinuxSll2, DLT_LINUX_SLL2, [](const Packet& p) { return LinuxSll2(p); }},
        {"Raw", engine::kLinkRawFile, DLT_RAW, [](const Packet& p) { return p; }},
        {"Ipv4", engine::kLinkIpv4, DLT_IPV4, [](const Packet& p) { return p; }},
        {"Ppp", engine::kLinkPpp, DLT_PPP, PppFull},
        {"Null", engine::kLinkNull, DLT_NULL, NullLittleEndian},
        {"Loop", engine::kLinkLoop, DLT_LOOP, Loop},
    };
    const std::vector<Traffic> session = Session();
    for (const Framing& framing : framings) {
        SCOPED_TRACE(framing.name);
        std::vector<PcapRecord> records;
        for (const Traffic& t : session) {
            const Packet frame = framing.frame(t.packet);
            records.push_back({Packet(frame.begin(), frame.begin() + std::min(frame.size(), kSnapLength)),
                               static_cast<std::uint32_t>(frame.size()),
                               static_cast<std::uint32_t>(1400000000 + records.size()), 7});
        }
        // Frames of other protocols share the link and are skipped.
        if (framing.fileLinkType == engine::kLinkEthernet) {
            records.push_back({Ethernet(Packet(28, 0), {0x0806}), 42, 1500000000, 0});
        }
        testing_support::TempDir dir;
        const auto path = dir.File("session.pcap");
        testing_support::WriteFileBytes(
            path, testing_support::WritePcap(framing.fileLinkType, kSnapLength, records));

        char error[PCAP_ERRBUF_SIZE] = {};
        const base::ScopedPcap handle(pcap_open_offline(path.c_str(), error));
        ASSERT_TRUE(handle) << error;
        ASSERT_EQ(pcap_datalink(handle.Get()), framing.dlt);
        for (std::size_t i = 0; i < records.size(); ++i) {
            pcap_pkthdr* header = nullptr;
            const std::uint8_t* data = nullptr;
            ASSERT_EQ(pcap_next_ex(handle.Get(), &header, &data), 1) << "record " << i;
            EXPECT_EQ(header->len, records[i].wireLength);
            EXPECT_EQ(header->ts.tv_sec, static_cast<time_t>(records[i].seconds));
            ASSERT_EQ(Packet(data, data + header->caplen), records[i].bytes);
            const auto packet = engine::StripLinkLayer(pcap_datalink(handle.Get()), {data, header->caplen});
            if (i >= session.size()) {
                EXPECT_EQ(packet, std::nullopt) << "record " << i;
                continue;
            }
            ASSERT_TRUE(packet.has_value()) << "record " << i;
            EXPECT_EQ(Decode(Packet(packet->begin(), packet->end())), session[i].expected) << "record " << i;
        }
        pcap_pkthdr* header = nullptr;
        const std::uint8_t* data = nullptr;
        EXPECT_EQ(pcap_next_ex(handle.Get(), &header, &data), PCAP_ERROR_BREAK);
    }
}

}  // namespace
