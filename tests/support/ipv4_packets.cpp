#include "support/ipv4_packets.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <stdexcept>

namespace testing_support {

namespace {
// `size` bytes (the callers ask for more than the header) whose total-length field says `totalLength`.
Packet Ipv4Packet(std::uint8_t protocol, std::uint32_t source, std::uint32_t destination,
                  std::uint16_t totalLength, std::size_t size) {
    Packet p(size, 0);
    p[0] = 0x45;
    PutBe16(p, 2, totalLength);
    p[8] = 64;
    p[9] = protocol;
    std::memcpy(&p[12], &source, 4);
    std::memcpy(&p[16], &destination, 4);
    return p;
}

// L2TP over UDP (ports 1701): `header` from byte 28 on, then the inner packet.
Packet L2tp(std::uint32_t source, std::uint32_t destination, std::initializer_list<std::uint8_t> header,
            const Packet& inner) {
    const auto total = static_cast<std::uint16_t>(28 + header.size() + inner.size());
    Packet p = TransportPacket(17, source, destination, 1701, 1701, total);
    std::copy(inner.begin(), inner.end(), std::copy(header.begin(), header.end(), p.begin() + 28));
    return p;
}
}  // namespace

void PutBe16(Packet& packet, std::size_t at, std::uint16_t value) {
    packet.at(at) = static_cast<std::uint8_t>(value >> 8);
    packet.at(at + 1) = static_cast<std::uint8_t>(value);
}

Packet TransportPacket(std::uint8_t protocol, std::uint32_t source, std::uint32_t destination,
                       std::uint16_t sourcePort, std::uint16_t destinationPort, std::uint16_t totalLength) {
    Packet p = Ipv4Packet(protocol, source, destination, totalLength, std::max<std::size_t>(totalLength, 24));
    PutBe16(p, 20, sourcePort);
    PutBe16(p, 22, destinationPort);
    if (protocol == 17 && totalLength >= 28) {
        PutBe16(p, 24, static_cast<std::uint16_t>(totalLength - 20));
    } else if (protocol == 6 && totalLength >= 40) {
        p[32] = 0x50;  // data offset: 5 words
    }
    return p;
}

Packet L2tpUpload(std::uint32_t source, std::uint32_t destination, const Packet& inner) {
    // Length bit and version 2, the length, tunnel 7, session 9, address and control, protocol 0x0021.
    const auto length = static_cast<std::uint16_t>(12 + inner.size());
    return L2tp(source, destination,
                {0x40, 0x02, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 0, 7,
                 0, 9, 0xFF, 0x03, 0x00, 0x21},
                inner);
}

Packet L2tpDownload(std::uint32_t source, std::uint32_t destination, const Packet& inner) {
    // Version 2 without a length, tunnel 7, session 9, address and control, the one-byte protocol 0x21.
    return L2tp(source, destination, {0x00, 0x02, 0, 7, 0, 9, 0xFF, 0x03, 0x21}, inner);
}

Packet GrePacket(std::uint32_t source, std::uint32_t destination, std::size_t greHeaderBytes,
                 const Packet& inner) {
    if (greHeaderBytes != 8 && greHeaderBytes != 12 && greHeaderBytes != 16) {
        throw std::invalid_argument("PPTP GRE headers are 8, 12 or 16 bytes");
    }
    const std::size_t payload = 1 + inner.size();
    const auto total = static_cast<std::uint16_t>(20 + greHeaderBytes + payload);
    Packet p = Ipv4Packet(47, source, destination, total, total);
    // Key present and version 1; a sequence number from 12 bytes on, an acknowledgement at 16.
    PutBe16(p, 20,
            static_cast<std::uint16_t>(0x2001 | (greHeaderBytes >= 12 ? 0x1000 : 0) |
                                       (greHeaderBytes == 16 ? 0x80 : 0)));
    PutBe16(p, 22, 0x880B);
    PutBe16(p, 24, static_cast<std::uint16_t>(payload));
    PutBe16(p, 26, 0x1234);  // call id
    p[20 + greHeaderBytes] = 0x21;
    std::copy(inner.begin(), inner.end(), p.begin() + 21 + static_cast<std::ptrdiff_t>(greHeaderBytes));
    return p;
}

}  // namespace testing_support
