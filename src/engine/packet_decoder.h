#pragma once

// What one captured IPv4 packet adds to the port counters. The decoder assumes a 20-byte IPv4 header
// (the header-length field is not read) and trusts the total length L for the counted size, but it
// reads only bytes that were captured and that lie within L: a packet too short for a field it needs
// counts nothing.

#include <cstdint>
#include <optional>
#include <span>

namespace engine {

enum class CountProtocol : std::uint8_t { kTcp = 6, kUdp = 17 };

// The tunnel operations take the direction as a number: 2 upload, 1 download.
enum class CountDirection : std::uint32_t { kDownload = 1, kUpload = 2 };

struct PacketCount {
    CountProtocol protocol;
    CountDirection direction;
    std::uint16_t localPort;  // source port of an upload, destination port of a download
    std::uint32_t bytes;      // L - 40 for TCP, L - 28 for UDP

    friend bool operator==(const PacketCount&, const PacketCount&) = default;
};

inline constexpr std::uint16_t kL2tpPort = 1701;
inline constexpr std::uint8_t kIpProtocolTcp = 6;
inline constexpr std::uint8_t kIpProtocolUdp = 17;
inline constexpr std::uint8_t kIpProtocolGre = 47;

// Upload when the source address is local, else download when the destination is; L2TP (UDP port 1701)
// and PPTP GRE tunnels are opened and the packet inside is counted instead.
std::optional<PacketCount> DecodePacket(std::span<const std::uint8_t> packet,
                                        std::span<const std::uint32_t> localAddresses);

// The packet inside a tunnel, for direction 2 (upload) or 1 (download); any other direction counts
// nothing. No further tunnel is looked for inside it.
std::optional<PacketCount> DealWithL2TPVPN(std::span<const std::uint8_t> inner, std::uint32_t direction);
std::optional<PacketCount> DealWithGreVPN(std::span<const std::uint8_t> inner, std::uint32_t direction);

}  // namespace engine
