#pragma once

// Captured frames carry a link-layer header that depends on the interface; the decoder wants the IPv4
// packet alone, as a raw socket delivers it on Windows.

#include <cstdint>
#include <optional>
#include <span>

namespace engine {

// Link-layer types as libpcap reports them (DLT_*), plus the pcap-file value of raw IP.
enum LinkType : int {
    kLinkNull = 0,         // 4-byte address family in the capturing host's byte order
    kLinkEthernet = 1,     // Ethernet II, also Linux loopback; 802.1Q / 802.1ad tags possible
    kLinkPpp = 9,          // PPP, address/control optional, protocol 1 or 2 bytes
    kLinkRaw = 12,         // raw IP (IPv4 or IPv6) as libpcap on Linux names it
    kLinkRawFile = 101,    // raw IP as pcap files store it
    kLinkLoop = 108,       // 4-byte address family in network byte order
    kLinkLinuxSll = 113,   // Linux cooked header v1, 16 bytes
    kLinkIpv4 = 228,       // raw IPv4
    kLinkLinuxSll2 = 276,  // Linux cooked header v2, 20 bytes
};

// The IPv4 packet inside a frame of the given link type, or nothing for another protocol, an unknown
// link type or a frame too short for its own header.
std::optional<std::span<const std::uint8_t>> StripLinkLayer(int linkType,
                                                            std::span<const std::uint8_t> frame);

}  // namespace engine
