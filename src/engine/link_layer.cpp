#include "engine/link_layer.h"

namespace engine {

namespace {

constexpr std::uint16_t kEtherTypeIpv4 = 0x0800;
constexpr std::uint16_t kEtherTypeVlan = 0x8100;     // 802.1Q
constexpr std::uint16_t kEtherTypeQinQ = 0x88A8;     // 802.1ad service tag
constexpr std::uint16_t kEtherTypeQinQOld = 0x9100;  // pre-standard double tagging
constexpr std::uint16_t kPppIpv4 = 0x0021;
constexpr std::uint32_t kFamilyInet = 2;

using Bytes = std::span<const std::uint8_t>;
using Stripped = std::optional<Bytes>;

std::uint16_t Be16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

bool StartsLikeIpv4(Bytes packet) {
    return !packet.empty() && (packet[0] >> 4) == 4;
}

Stripped After(Bytes frame, std::size_t header) {
    if (frame.size() < header) {
        return std::nullopt;
    }
    return frame.subspan(header);
}

Stripped Ethernet(Bytes frame) {
    constexpr std::size_t kTypeOffset = 12;
    constexpr std::size_t kTagBytes = 4;
    std::size_t typeAt = kTypeOffset;
    while (true) {
        if (frame.size() < typeAt + 2) {
            return std::nullopt;
        }
        const std::uint16_t type = Be16(frame, typeAt);
        if (type == kEtherTypeIpv4) {
            return frame.subspan(typeAt + 2);
        }
        if (type != kEtherTypeVlan && type != kEtherTypeQinQ && type != kEtherTypeQinQOld) {
            return std::nullopt;
        }
        typeAt += kTagBytes;  // each tag is followed by the next type field
    }
}

Stripped Ppp(Bytes frame) {
    std::size_t at = 0;
    if (frame.size() >= 2 && frame[0] == 0xFF && frame[1] == 0x03) {
        at = 2;  // address and control
    }
    if (frame.size() <= at) {
        return std::nullopt;
    }
    // A protocol field whose first byte is odd is the compressed one-byte form.
    if ((frame[at] & 1) != 0) {
        return frame[at] == kPppIpv4 ? frame.subspan(at + 1) : Stripped{};
    }
    if (frame.size() < at + 2 || Be16(frame, at) != kPppIpv4) {
        return std::nullopt;
    }
    return frame.subspan(at + 2);
}

Stripped AddressFamily(Bytes frame, bool networkOrderOnly) {
    if (frame.size() < 4) {
        return std::nullopt;
    }
    const std::uint32_t big = static_cast<std::uint32_t>(frame[0]) << 24 |
                              static_cast<std::uint32_t>(frame[1]) << 16 |
                              static_cast<std::uint32_t>(frame[2]) << 8 | frame[3];
    const std::uint32_t little = static_cast<std::uint32_t>(frame[3]) << 24 |
                                 static_cast<std::uint32_t>(frame[2]) << 16 |
                                 static_cast<std::uint32_t>(frame[1]) << 8 | frame[0];
    // DLT_NULL is in the byte order of whichever machine captured; AF_INET is 2 everywhere.
    if (big == kFamilyInet || (!networkOrderOnly && little == kFamilyInet)) {
        return frame.subspan(4);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::span<const std::uint8_t>> StripLinkLayer(int linkType,
                                                            std::span<const std::uint8_t> frame) {
    Stripped packet;
    switch (linkType) {
        case kLinkEthernet:
            packet = Ethernet(frame);
            break;
        case kLinkLinuxSll: {
            constexpr std::size_t kHeader = 16;
            if (frame.size() >= kHeader && Be16(frame, 14) == kEtherTypeIpv4) {
                packet = frame.subspan(kHeader);
            }
            break;
        }
        case kLinkLinuxSll2: {
            constexpr std::size_t kHeader = 20;
            if (frame.size() >= kHeader && Be16(frame, 0) == kEtherTypeIpv4) {
                packet = frame.subspan(kHeader);
            }
            break;
        }
        case kLinkRaw:
        case kLinkRawFile:
        case kLinkIpv4:
            packet = After(frame, 0);
            break;
        case kLinkPpp:
            packet = Ppp(frame);
            break;
        case kLinkNull:
            packet = AddressFamily(frame, false);
            break;
        case kLinkLoop:
            packet = AddressFamily(frame, true);
            break;
        default:
            break;
    }
    // Raw IP may be IPv6, and no header above tells the version apart from garbage.
    if (packet && !StartsLikeIpv4(*packet)) {
        return std::nullopt;
    }
    return packet;
}

}  // namespace engine
