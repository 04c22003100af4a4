#pragma once

// Builders of IPv4 packets for the decoder's tests and benchmarks: a 20-byte header (version 4, IHL 5)
// with the fields the decoder reads; every other byte is zero unless a builder fills it.

#include <cstdint>
#include <vector>

namespace testing_support {

using Packet = std::vector<std::uint8_t>;

void PutBe16(Packet& packet, std::size_t at, std::uint16_t value);

// A TCP or UDP packet of totalLength bytes with its ports (and, for UDP, its length field).
Packet TransportPacket(std::uint8_t protocol, std::uint32_t source, std::uint32_t destination,
                       std::uint16_t sourcePort, std::uint16_t destinationPort, std::uint16_t totalLength);

// L2TP over UDP (ports 1701) as a client sends it: L2TP header with length, address and control, the
// two-byte PPP protocol 0x0021 at 38, the inner packet at 40.
Packet L2tpUpload(std::uint32_t source, std::uint32_t destination, const Packet& inner);
// ...and as it receives it: no length field, address and control, the one-byte protocol 0x21 at 36, the
// inner packet at 37.
Packet L2tpDownload(std::uint32_t source, std::uint32_t destination, const Packet& inner);

// PPTP's enhanced GRE with a header of 8 (key), 12 (key and sequence) or 16 bytes (and acknowledgement),
// payload length P = 1 + inner size, the one-byte PPP protocol 0x21, then the inner packet.
Packet GrePacket(std::uint32_t source, std::uint32_t destination, std::size_t greHeaderBytes,
                 const Packet& inner);

}  // namespace testing_support
