#pragma once

// Frames of each link type around an IPv4 packet, as libpcap delivers them.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "engine/link_layer.h"
#include "support/ipv4_packets.h"

namespace link_frames {

using testing_support::Packet;

inline Packet Join(std::initializer_list<std::uint8_t> header, const Packet& payload) {
    // Sized once and filled in place: GCC 12 at -O3 misreads a growing insert as out of bounds.
    Packet frame(header.size() + payload.size());
    std::copy(header.begin(), header.end(), frame.begin());
    std::copy(payload.begin(), payload.end(), frame.begin() + static_cast<std::ptrdiff_t>(header.size()));
    return frame;
}

inline Packet Ethernet(const Packet& payload,
                       std::initializer_list<std::uint16_t> typesOuterFirst = {0x0800}) {
    Packet frame{0x02, 0, 0, 0, 0, 1, 0x02, 0, 0, 0, 0, 2};
    bool first = true;
    for (const std::uint16_t type : typesOuterFirst) {
        if (!first) {
            frame.push_back(0x00);  // tag control: priority 0, VLAN 10
            frame.push_back(0x0A);
        }
        frame.push_back(static_cast<std::uint8_t>(type >> 8));
        frame.push_back(static_cast<std::uint8_t>(type));
        first = false;
    }
    const std::size_t headerBytes = frame.size();
    frame.resize(headerBytes + payload.size());
    std::copy(payload.begin(), payload.end(), frame.begin() + static_cast<std::ptrdiff_t>(headerBytes));
    return frame;
}

inline Packet LinuxSll(const Packet& payload, std::uint16_t protocol = 0x0800) {
    // packet type (outgoing), ARPHRD_ETHER, address length 6, address padded to 8, protocol
    Packet frame = Join({0, 4, 0, 1, 0, 6, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0}, payload);
    testing_support::PutBe16(frame, 14, protocol);
    return frame;
}

inline Packet LinuxSll2(const Packet& payload, std::uint16_t protocol = 0x0800) {
    // protocol, reserved, interface index, ARPHRD_ETHER, packet type, address length, address
    Packet frame = Join({0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 6, 2, 0, 0, 0, 0, 1, 0, 0}, payload);
    testing_support::PutBe16(frame, 0, protocol);
    return frame;
}

inline Packet PppFull(const Packet& payload) {
    return Join({0xFF, 0x03, 0x00, 0x21}, payload);
}
inline Packet NullLittleEndian(const Packet& payload) {
    return Join({2, 0, 0, 0}, payload);
}
inline Packet Loop(const Packet& payload) {
    return Join({0, 0, 0, 2}, payload);
}

}  // namespace link_frames
