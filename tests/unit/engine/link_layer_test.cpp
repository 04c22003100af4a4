#include "engine/link_layer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "engine/adapter_info.h"
#include "support/ipv4_packets.h"

namespace {

using testing_support::Packet;

const Packet kIp = testing_support::TransportPacket(17, engine::MakeIpv4(192, 168, 1, 10),
                                                    engine::MakeIpv4(203, 0, 113, 7), 1000, 2000, 100);
const Packet kIpv6 = [] {
    Packet p = kIp;
    p[0] = 0x60;
    return p;
}();

Packet Join(const Packet& header, const Packet& payload, std::size_t cut = SIZE_MAX) {
    // Sized once and filled in place: GCC 12 at -O3 misreads a growing insert as out of bounds.
    Packet frame(header.size() + payload.size());
    std::copy(header.begin(), header.end(), frame.begin());
    std::copy(payload.begin(), payload.end(), frame.begin() + static_cast<std::ptrdiff_t>(header.size()));
    frame.resize(std::min(cut, frame.size()));
    return frame;
}

// Destination and source MAC, then each EtherType (after the first with a VLAN tag of its own before it).
Packet Ethernet(const Packet& payload, std::initializer_list<std::uint16_t> typesOuterFirst = {0x0800},
                std::size_t cut = SIZE_MAX) {
    Packet header{0x02, 0, 0, 0, 0, 1, 0x02, 0, 0, 0, 0, 2};
    for (const std::uint16_t type : typesOuterFirst) {
        if (header.size() > 12) {
            header.push_back(0x00);  // tag control: priority 0, VLAN 10
            header.push_back(0x0A);
        }
        header.push_back(static_cast<std::uint8_t>(type >> 8));
        header.push_back(static_cast<std::uint8_t>(type));
    }
    return Join(header, payload, cut);
}

// Cooked headers: v1 is packet type, ARPHRD_ETHER, address length, address, then the protocol at 14;
// v2 has the protocol first, then reserved, interface index, ARPHRD_ETHER, type, address length, address.
Packet LinuxSll(const Packet& payload, std::uint16_t protocol = 0x0800, std::size_t cut = SIZE_MAX) {
    Packet header{0, 4, 0, 1, 0, 6, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    testing_support::PutBe16(header, 14, protocol);
    return Join(header, payload, cut);
}
Packet LinuxSll2(const Packet& payload, std::uint16_t protocol = 0x0800, std::size_t cut = SIZE_MAX) {
    Packet header{0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 6, 2, 0, 0, 0, 0, 1, 0, 0};
    testing_support::PutBe16(header, 0, protocol);
    return Join(header, payload, cut);
}

TEST(LinkLayer, FindsTheIpv4PacketOrNothing) {
    const std::optional<std::size_t> none;
    const struct {
        const char* name;
        int linkType;
        Packet frame;
        std::optional<std::size_t> ipAt;  // where the IPv4 packet starts, or nothing
    } cases[] = {
        {"Ethernet", engine::kLinkEthernet, Ethernet(kIp), 14},
        {"Vlan8021Q", engine::kLinkEthernet, Ethernet(kIp, {0x8100, 0x0800}), 18},
        {"QinQ8021ad", engine::kLinkEthernet, Ethernet(kIp, {0x88A8, 0x8100, 0x0800}), 22},
        {"QinQPreStandard", engine::kLinkEthernet, Ethernet(kIp, {0x9100, 0x8100, 0x0800}), 22},
        {"EthernetArp", engine::kLinkEthernet, Ethernet(kIp, {0x0806}), none},
        {"EthernetIpv4TypeWrongVersion", engine::kLinkEthernet, Ethernet(kIpv6), none},
        {"EthernetCutInType", engine::kLinkEthernet, Ethernet(kIp, {0x0800}, 13), none},
        {"LinuxSll", engine::kLinkLinuxSll, LinuxSll(kIp), 16},
        {"LinuxSllIpv6", engine::kLinkLinuxSll, LinuxSll(kIpv6, 0x86DD), none},
        {"LinuxSllCut", engine::kLinkLinuxSll, LinuxSll(kIp, 0x0800, 15), none},
        {"LinuxSll2", engine::kLinkLinuxSll2, LinuxSll2(kIp), 20},
        {"LinuxSll2Arp", engine::kLinkLinuxSll2, LinuxSll2(kIp, 0x0806), none},
        {"LinuxSll2Cut", engine::kLinkLinuxSll2, LinuxSll2(kIp, 0x0800, 19), none},
        {"RawLinux", engine::kLinkRaw, kIp, 0},
        {"Ipv4", engine::kLinkIpv4, kIp, 0},
        {"RawIpv6", engine::kLinkRaw, kIpv6, none},
        {"RawEmpty", engine::kLinkRaw, {}, none},
        {"PppAddressControlProtocol", engine::kLinkPpp, Join({0xFF, 0x03, 0x00, 0x21}, kIp), 4},
        {"PppTwoByteProtocol", engine::kLinkPpp, Join({0x00, 0x21}, kIp), 2},
        {"PppOneByteProtocol", engine::kLinkPpp, Join({0x21}, kIp), 1},
        {"PppIpv6", engine::kLinkPpp, Join({0xFF, 0x03, 0x00, 0x57}, kIpv6), none},
        {"PppOnlyAddressControl", engine::kLinkPpp, {0xFF, 0x03}, none},
        {"NullLittleEndian", engine::kLinkNull, Join({2, 0, 0, 0}, kIp), 4},
        {"NullBigEndian", engine::kLinkNull, Join({0, 0, 0, 2}, kIp), 4},
        {"NullInet6", engine::kLinkNull, Join({30, 0, 0, 0}, kIpv6), none},
        {"NullCut", engine::kLinkNull, {2, 0, 0}, none},
        {"Loop", engine::kLinkLoop, Join({0, 0, 0, 2}, kIp), 4},
        {"LoopWrongByteOrder", engine::kLinkLoop, Join({2, 0, 0, 0}, kIp), none},
        {"UnknownLinkType", 105, Ethernet(kIp), none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // An exact-size heap copy: the stripper must not look past the frame.
        std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[c.frame.size()]);
        std::copy(c.frame.begin(), c.frame.end(), exact.get());
        const std::span<const std::uint8_t> frame(exact.get(), c.frame.size());
        const auto packet = engine::StripLinkLayer(c.linkType, frame);
        ASSERT_EQ(packet.has_value(), c.ipAt.has_value());
        if (packet) {
            EXPECT_EQ(packet->data(), frame.data() + *c.ipAt);
            EXPECT_EQ(packet->size(), frame.size() - *c.ipAt);
        }
    }
}

}  // namespace
