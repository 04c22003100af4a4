#include "engine/link_layer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "engine/adapter_info.h"
#include "link_frames.h"

namespace {

using namespace link_frames;
using testing_support::TransportPacket;

const Packet kIp =
    TransportPacket(17, engine::MakeIpv4(192, 168, 1, 10), engine::MakeIpv4(203, 0, 113, 7), 1000, 2000, 100);
Packet Ipv6Like() {
    Packet p = kIp;
    p[0] = 0x60;
    return p;
}

struct StripCase {
    const char* name;
    int linkType;
    Packet frame;
    std::optional<std::size_t> ipAt;  // where the IPv4 packet starts, or nothing
};

void PrintTo(const StripCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkLayer : public ::testing::TestWithParam<StripCase> {};

TEST_P(LinkLayer, FindsTheIpv4PacketOrNothing) {
    const StripCase& c = GetParam();
    // An exact-size heap copy: the stripper must not look past the frame.
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[c.frame.size()]);
    std::copy(c.frame.begin(), c.frame.end(), exact.get());
    const std::span<const std::uint8_t> frame(exact.get(), c.frame.size());
    const auto packet = engine::StripLinkLayer(c.linkType, frame);
    if (!c.ipAt) {
        EXPECT_EQ(packet, std::nullopt);
        return;
    }
    ASSERT_TRUE(packet.has_value());
    EXPECT_EQ(packet->data(), frame.data() + *c.ipAt);
    EXPECT_EQ(packet->size(), frame.size() - *c.ipAt);
}

Packet Cut(Packet p, std::size_t size) {
    p.resize(size);
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Strip, LinkLayer,
    ::testing::Values(
        StripCase{"Ethernet", engine::kLinkEthernet, Ethernet(kIp), 14},
        StripCase{"Vlan8021Q", engine::kLinkEthernet, Ethernet(kIp, {0x8100, 0x0800}), 18},
        StripCase{"QinQ8021ad", engine::kLinkEthernet, Ethernet(kIp, {0x88A8, 0x8100, 0x0800}), 22},
        StripCase{"QinQPreStandard", engine::kLinkEthernet, Ethernet(kIp, {0x9100, 0x8100, 0x0800}), 22},
        StripCase{"EthernetArp", engine::kLinkEthernet, Ethernet(kIp, {0x0806}), std::nullopt},
        StripCase{"EthernetIpv6", engine::kLinkEthernet, Ethernet(Ipv6Like(), {0x86DD}), std::nullopt},
        StripCase{"VlanIpv6", engine::kLinkEthernet, Ethernet(kIp, {0x8100, 0x86DD}), std::nullopt},
        StripCase{"EthernetIpv4TypeWrongVersion", engine::kLinkEthernet, Ethernet(Ipv6Like()), std::nullopt},
        StripCase{"EthernetNoPayload", engine::kLinkEthernet, Ethernet({}), std::nullopt},
        StripCase{"EthernetCutInType", engine::kLinkEthernet, Cut(Ethernet(kIp), 13), std::nullopt},
        StripCase{"VlanCutInTag", engine::kLinkEthernet, Cut(Ethernet(kIp, {0x8100, 0x0800}), 17),
                  std::nullopt},
        StripCase{"LinuxSll", engine::kLinkLinuxSll, LinuxSll(kIp), 16},
        StripCase{"LinuxSllIpv6", engine::kLinkLinuxSll, LinuxSll(Ipv6Like(), 0x86DD), std::nullopt},
        StripCase{"LinuxSllCut", engine::kLinkLinuxSll, Cut(LinuxSll(kIp), 15), std::nullopt},
        StripCase{"LinuxSll2", engine::kLinkLinuxSll2, LinuxSll2(kIp), 20},
        StripCase{"LinuxSll2Arp", engine::kLinkLinuxSll2, LinuxSll2(kIp, 0x0806), std::nullopt},
        StripCase{"LinuxSll2Cut", engine::kLinkLinuxSll2, Cut(LinuxSll2(kIp), 19), std::nullopt},
        StripCase{"RawLinux", engine::kLinkRaw, kIp, 0}, StripCase{"RawFile", engine::kLinkRawFile, kIp, 0},
        StripCase{"Ipv4", engine::kLinkIpv4, kIp, 0},
        StripCase{"RawIpv6", engine::kLinkRaw, Ipv6Like(), std::nullopt},
        StripCase{"RawEmpty", engine::kLinkRaw, Packet{}, std::nullopt},
        StripCase{"PppAddressControlProtocol", engine::kLinkPpp, PppFull(kIp), 4},
        StripCase{"PppTwoByteProtocol", engine::kLinkPpp, Join({0x00, 0x21}, kIp), 2},
        StripCase{"PppOneByteProtocol", engine::kLinkPpp, Join({0x21}, kIp), 1},
        StripCase{"PppAddressControlOneByte", engine::kLinkPpp, Join({0xFF, 0x03, 0x21}, kIp), 3},
        StripCase{"PppIpv6", engine::kLinkPpp, Join({0xFF, 0x03, 0x00, 0x57}, Ipv6Like()), std::nullopt},
        StripCase{"PppIpcp", engine::kLinkPpp, Join({0xFF, 0x03, 0x80, 0x21}, kIp), std::nullopt},
        StripCase{"PppOnlyAddressControl", engine::kLinkPpp, Packet{0xFF, 0x03}, std::nullopt},
        StripCase{"NullLittleEndian", engine::kLinkNull, NullLittleEndian(kIp), 4},
        StripCase{"NullBigEndian", engine::kLinkNull, Loop(kIp), 4},
        StripCase{"NullInet6", engine::kLinkNull, Join({30, 0, 0, 0}, Ipv6Like()), std::nullopt},
        StripCase{"NullCut", engine::kLinkNull, Packet{2, 0, 0}, std::nullopt},
        StripCase{"Loop", engine::kLinkLoop, Loop(kIp), 4},
        StripCase{"LoopWrongByteOrder", engine::kLinkLoop, NullLittleEndian(kIp), std::nullopt},
        StripCase{"UnknownLinkType", 105, Ethernet(kIp), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
