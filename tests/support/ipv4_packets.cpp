#include "support/ipv4_packets.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testing_support {

namespace {
constexpr std::uint16_t kL2tpPort = 1701;
}

void PutBe16(Packet& packet, std::size_t at, std::uint16_t value) {
    packet.at(at) = static_cast<std::uint8_t>(value >> 8);
    packet.at(at + 1) = static_cast<std::uint8_t>(value);
}

Packet Ipv4Packet(std::uint8_t protocol, std::uint32_t source, std::uint32_t destination,
                  std::uint16_t totalLength, std::size_t size) {
    if (size < 20) {
        throw std::invalid_argument("an IPv4 header needs 20 bytes");
    }
    Packet p(size, 0);
    p[0] = 0x45;
    PutBe16(p, 2, totalLength);
    p[8] = 64;
    p[9] = protocol;
    std::memcpy(&p[12], &source, 4);
    std::memcpy(&p[16], &destination, 4);
    return p;
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
    const auto total = static_cast<std::uint16_t>(40 + inner.size());
    Packet p = TransportPacket(17, source, destination, kL2tpPort, kL2tpPort, total);
    PutBe16(p, 28, 0x4002);  // length bit, version 2
    PutBe16(p, 30, static_cast<std::uint16_t>(total - 28));
    PutBe16(p, 32, 7);  // tunnel id
    PutBe16(p, 34, 9);  // session id
    p[36] = 0xFF;
    p[37] = 0x03;
    PutBe16(p, 38, 0x0021);
    std::memcpy(&p[40], inner.data(), inner.size());
    return p;
}

Packet L2tpDownload(std::uint32_t source, std::uint32_t destination, const Packet& inner) {
    const auto total = static_cast<std::uint16_t>(37 + inner.size());
    Packet p = TransportPacket(17, source, destination, kL2tpPort, kL2tpPort, total);
    PutBe16(p, 28, 0x0002);  // version 2, no length
    PutBe16(p, 30, 7);
    PutBe16(p, 32, 9);
    p[34] = 0xFF;
    p[35] = 0x03;
    p[36] = 0x21;
    std::memcpy(&p[37], inner.data(), inner.size());
    return p;
}

Packet GrePacket(std::uint32_t source, std::uint32_t destination, std::size_t greHeaderBytes,
                 const Packet& inner) {
    if (greHeaderBytes != 8 && greHeaderBytes != 12 && greHeaderBytes != 16) {
        throw std::invalid_argument("PPTP GRE headers are 8, 12 or 16 bytes");
    }
    const std::size_t payload = 1 + inner.size();
    const auto total = static_cast<std::uint16_t>(20 + greHeaderBytes + payload);
    Packet p = Ipv4Packet(47, source, destination, total, total);
    std::uint16_t flags = 0x2001;  // key present, version 1
    if (greHeaderBytes >= 12) {
        flags |= 0x1000;  // sequence number present
    }
    if (greHeaderBytes == 16) {
        flags |= 0x0080;  // acknowledgement present
    }
    PutBe16(p, 20, flags);
    PutBe16(p, 22, 0x880B);
    PutBe16(p, 24, static_cast<std::uint16_t>(payload));
    PutBe16(p, 26, 0x1234);  // call id
    p[20 + greHeaderBytes] = 0x21;
    std::memcpy(&p[20 + greHeaderBytes + 1], inner.data(), inner.size());
    return p;
}

}  // namespace testing_support
