#include "engine/packet_decoder.h"

#include <algorithm>
#include <cstring>

#include "base/os_error.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/adapter_info.h"

namespace engine {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kLengthAt = 2;
constexpr std::size_t kProtocolAt = 9;
constexpr std::size_t kSourceAt = 12;
constexpr std::size_t kDestinationAt = 16;
constexpr std::size_t kIpHeaderBytes = 20;
constexpr std::size_t kSourcePortAt = 20;
constexpr std::size_t kDestinationPortAt = 22;
constexpr std::uint32_t kTcpOverhead = 40;  // IPv4 and TCP headers without options
constexpr std::uint32_t kUdpOverhead = 28;

// L2TP over UDP as the tunnel's client sends and receives it: uploads carry the two-byte PPP protocol
// field at 38, downloads the compressed one-byte field at 36.
constexpr std::size_t kL2tpUpProtocolAt = 38;
constexpr std::size_t kL2tpUpInnerAt = 40;
constexpr std::size_t kL2tpDownProtocolAt = 36;
constexpr std::size_t kL2tpDownInnerAt = 37;

constexpr std::size_t kGreProtocolTypeAt = 22;
constexpr std::size_t kGrePayloadLengthAt = 24;
constexpr std::uint32_t kGreMinimumLength = 61;
constexpr std::uint16_t kGrePpp = 0x880B;
constexpr std::uint8_t kPppIpv4 = 0x21;

std::uint16_t Be16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

std::uint32_t Address(Bytes b, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, b.data() + at, sizeof value);
    return value;
}

// Bytes beyond L are link padding or garbage, bytes beyond the capture do not exist: neither is read.
Bytes Readable(Bytes packet, std::uint32_t totalLength) {
    return packet.first(std::min<std::size_t>(packet.size(), totalLength));
}

// Counts the ports of a TCP or UDP packet (an outer one, or the one inside a tunnel).
std::optional<PacketCount> CountTransport(Bytes b, std::uint8_t protocol, std::uint32_t totalLength,
                                          CountDirection direction) {
    const std::size_t portAt = direction == CountDirection::kUpload ? kSourcePortAt : kDestinationPortAt;
    std::uint32_t overhead;
    CountProtocol counted;
    if (protocol == kIpProtocolTcp) {
        overhead = kTcpOverhead;
        counted = CountProtocol::kTcp;
    } else if (protocol == kIpProtocolUdp) {
        overhead = kUdpOverhead;
        counted = CountProtocol::kUdp;
    } else {
        return std::nullopt;
    }
    if (totalLength <= overhead || b.size() < portAt + 2) {
        return std::nullopt;
    }
    return PacketCount{counted, direction, Be16(b, portAt), totalLength - overhead};
}

std::optional<PacketCount> CountInner(Bytes inner, std::uint32_t direction) {
    if (direction != static_cast<std::uint32_t>(CountDirection::kUpload) &&
        direction != static_cast<std::uint32_t>(CountDirection::kDownload)) {
        return std::nullopt;
    }
    if (inner.size() < kIpHeaderBytes) {
        return std::nullopt;
    }
    const std::uint32_t innerLength = Be16(inner, kLengthAt);
    return CountTransport(Readable(inner, innerLength), inner[kProtocolAt], innerLength,
                          static_cast<CountDirection>(direction));
}

std::optional<PacketCount> CountUdp(Bytes b, std::uint32_t totalLength, CountDirection direction) {
    if (totalLength <= kUdpOverhead) {
        return std::nullopt;
    }
    const bool up = direction == CountDirection::kUpload;
    const std::size_t portAt = up ? kSourcePortAt : kDestinationPortAt;
    if (b.size() < portAt + 2) {
        return std::nullopt;
    }
    if (Be16(b, portAt) == kL2tpPort) {
        const std::size_t protocolAt = up ? kL2tpUpProtocolAt : kL2tpDownProtocolAt;
        const std::size_t innerAt = up ? kL2tpUpInnerAt : kL2tpDownInnerAt;
        if (totalLength > innerAt) {
            // Whether this is a tunnel cannot be told without the PPP protocol field.
            if (b.size() < innerAt) {
                return std::nullopt;
            }
            const bool isTunnel = up ? Be16(b, protocolAt) == kPppIpv4 : b[protocolAt] == kPppIpv4;
            if (isTunnel) {
                return DealWithL2TPVPN(b.subspan(innerAt), static_cast<std::uint32_t>(direction));
            }
        }
    }
    return CountTransport(b, kIpProtocolUdp, totalLength, direction);
}

std::optional<PacketCount> CountGre(Bytes b, std::uint32_t totalLength, CountDirection direction) {
    if (totalLength <= kGreMinimumLength || b.size() < kGrePayloadLengthAt + 2 ||
        Be16(b, kGreProtocolTypeAt) != kGrePpp) {
        return std::nullopt;
    }
    // The PPP payload is the last P bytes of the packet, whatever GRE options come before it.
    const std::uint32_t payloadLength = Be16(b, kGrePayloadLengthAt);
    if (payloadLength == 0 || payloadLength >= totalLength) {
        return std::nullopt;
    }
    const std::size_t payloadAt = totalLength - payloadLength;
    if (b.size() <= payloadAt || b[payloadAt] != kPppIpv4) {
        return std::nullopt;
    }
    return DealWithGreVPN(b.subspan(payloadAt + 1), static_cast<std::uint32_t>(direction));
}

std::optional<PacketCount> Count(Bytes b, std::uint32_t totalLength, std::uint8_t protocol,
                                 CountDirection direction) {
    switch (protocol) {
        case kIpProtocolTcp:
            return CountTransport(b, protocol, totalLength, direction);
        case kIpProtocolUdp:
            return CountUdp(b, totalLength, direction);
        case kIpProtocolGre:
            return CountGre(b, totalLength, direction);
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<PacketCount> DecodePacket(std::span<const std::uint8_t> packet,
                                        std::span<const std::uint32_t> localAddresses) {
    if (packet.size() < kIpHeaderBytes) {
        return std::nullopt;
    }
    const std::uint32_t totalLength = Be16(packet, kLengthAt);
    const std::uint8_t protocol = packet[kProtocolAt];
    const Bytes readable = Readable(packet, totalLength);
    // A packet between two local addresses is counted once, as the sender's upload.
    if (IsLocalAddress(localAddresses, Address(packet, kSourceAt))) {
        return Count(readable, totalLength, protocol, CountDirection::kUpload);
    }
    if (IsLocalAddress(localAddresses, Address(packet, kDestinationAt))) {
        return Count(readable, totalLength, protocol, CountDirection::kDownload);
    }
    return std::nullopt;
}

std::optional<PacketCount> DealWithL2TPVPN(std::span<const std::uint8_t> inner, std::uint32_t direction) {
    if (inner.data() == nullptr) {
        base::WriteTrafficLogError("参数无效 in DealWithL2TPVPN，error no = %d \n", base::LastOsError());
        return std::nullopt;
    }
    return CountInner(inner, direction);
}

std::optional<PacketCount> DealWithGreVPN(std::span<const std::uint8_t> inner, std::uint32_t direction) {
    if (inner.data() == nullptr) {
        base::WriteTrafficLogError("参数无效 in DealWithGreVPN，error no = %d \n", base::LastOsError());
        return std::nullopt;
    }
    return CountInner(inner, direction);
}

}  // namespace engine
