#include "engine/kernel_socket_parse.h"

#include <algorithm>
#include <cstring>

namespace engine {
namespace {

constexpr std::uint32_t kBadMessage = 74;  // EBADMSG

template <typename T>
T ReadNative(std::span<const std::uint8_t> bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

std::uint16_t ReadBigEndian16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

// struct inet_diag_msg: family, state, timer, retrans; inet_diag_sockid (sport, dport, src[4], dst[4],
// if, cookie[2]); expires, rqueue, wqueue, uid, inode.
void ParseInetDiagMsg(std::span<const std::uint8_t> msg, std::vector<KernelSocket>& out) {
    if (msg[0] != netlink::kFamilyInet) {
        return;
    }
    KernelSocket s;
    s.linuxState = msg[1];
    s.localPort = ReadBigEndian16(msg, 4);
    s.remotePort = ReadBigEndian16(msg, 6);
    s.localAddress = ReadNative<std::uint32_t>(msg, 8);
    s.remoteAddress = ReadNative<std::uint32_t>(msg, 24);
    s.inode = ReadNative<std::uint32_t>(msg, 68);
    out.push_back(s);
}

std::size_t Align(std::size_t length) {
    return (length + netlink::kAlignment - 1) & ~(netlink::kAlignment - 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Exactly `digits` hex digits.
std::optional<std::uint32_t> ParseHex(std::string_view text, std::size_t digits) {
    if (text.size() != digits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        const int d = HexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return value;
}

std::optional<std::uint64_t> ParseDecimal(std::string_view text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// "0100007F:1F90": the address as the kernel printed its stored (network order) word, and the port.
bool ParseEndpoint(std::string_view text, std::uint32_t& address, std::uint16_t& port) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const auto a = ParseHex(text.substr(0, colon), 8);
    const auto p = ParseHex(text.substr(colon + 1), 4);
    if (!a || !p) {
        return false;
    }
    address = *a;
    port = static_cast<std::uint16_t>(*p);
    return true;
}

std::optional<KernelSocket> ParseProcNetLine(std::string_view line) {
    std::string_view fields[10];
    std::size_t count = 0;
    std::size_t i = 0;
    while (count < 10) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i == line.size()) {
            break;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        fields[count++] = line.substr(start, i - start);
    }
    if (count < 10 || fields[0].size() < 2 || fields[0].back() != ':' ||
        !ParseDecimal(fields[0].substr(0, fields[0].size() - 1))) {
        return std::nullopt;
    }
    KernelSocket s;
    const auto state = fields[3].size() <= 2 ? ParseHex(fields[3], fields[3].size()) : std::nullopt;
    const auto inode = ParseDecimal(fields[9]);
    if (!ParseEndpoint(fields[1], s.localAddress, s.localPort) ||
        !ParseEndpoint(fields[2], s.remoteAddress, s.remotePort) || !state || fields[3].empty() || !inode) {
        return std::nullopt;
    }
    s.linuxState = static_cast<std::uint8_t>(*state);
    s.inode = *inode;
    return s;
}

// The errno of a netlink error field: negative by convention, but any value may arrive. Negated as
// unsigned, since the most negative int has no signed negation.
std::uint32_t ErrorNumber(std::int32_t field) {
    const auto value = static_cast<std::uint32_t>(field);
    return field < 0 ? 0u - value : value;
}

}  // namespace

DumpProgress ParseSockDiagDatagram(std::span<const std::uint8_t> datagram, std::vector<KernelSocket>& out) {
    std::size_t offset = 0;
    while (datagram.size() - offset >= netlink::kHeaderSize) {
        const auto length = ReadNative<std::uint32_t>(datagram, offset);
        const auto type = ReadNative<std::uint16_t>(datagram, offset + 4);
        if (length < netlink::kHeaderSize || length > datagram.size() - offset) {
            return {DumpProgress::kFailed, kBadMessage};
        }
        const auto payload = datagram.subspan(offset + netlink::kHeaderSize, length - netlink::kHeaderSize);
        if (type == netlink::kDone) {
            // A dump that failed half-way reports the error in the done message.
            if (payload.size() >= 4 && ReadNative<std::int32_t>(payload, 0) < 0) {
                return {DumpProgress::kFailed, ErrorNumber(ReadNative<std::int32_t>(payload, 0))};
            }
            return {DumpProgress::kDone, 0};
        }
        if (type == netlink::kError) {
            if (payload.size() < 4) {
                return {DumpProgress::kFailed, kBadMessage};
            }
            const auto error = ReadNative<std::int32_t>(payload, 0);
            if (error != 0) {
                return {DumpProgress::kFailed, ErrorNumber(error)};
            }
        } else if (type == netlink::kSockDiagByFamily) {
            if (payload.size() < netlink::kInetDiagMsgSize) {
                return {DumpProgress::kFailed, kBadMessage};
            }
            ParseInetDiagMsg(payload, out);
        }
        offset += std::min(Align(length), datagram.size() - offset);
    }
    return {DumpProgress::kMore, 0};
}

std::vector<KernelSocket> ParseProcNetTable(std::string_view text) {
    std::vector<KernelSocket> sockets;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (auto s = ParseProcNetLine(line)) {
            sockets.push_back(*s);
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return sockets;
}

std::optional<std::uint64_t> ParseSocketInode(std::string_view linkText) {
    constexpr std::string_view kPrefix = "socket:[";
    if (linkText.size() < kPrefix.size() + 2 || linkText.substr(0, kPrefix.size()) != kPrefix ||
        linkText.back() != ']') {
        return std::nullopt;
    }
    return ParseDecimal(linkText.substr(kPrefix.size(), linkText.size() - kPrefix.size() - 1));
}

TcpState TcpStateFromLinux(std::uint8_t linuxState) {
    switch (linuxState) {
        case 1:  // TCP_ESTABLISHED
            return TcpState::kEstablished;
        case 2:  // TCP_SYN_SENT
            return TcpState::kSynSent;
        case 3:   // TCP_SYN_RECV
        case 12:  // TCP_NEW_SYN_RECV: a request socket, not yet a connection
            return TcpState::kSynReceived;
        case 4:
            return TcpState::kFinWait1;
        case 5:
            return TcpState::kFinWait2;
        case 6:
            return TcpState::kTimeWait;
        case 7:  // TCP_CLOSE
            return TcpState::kClosed;
        case 8:
            return TcpState::kCloseWait;
        case 9:
            return TcpState::kLastAck;
        case 10:
            return TcpState::kListen;
        case 11:
            return TcpState::kClosing;
        default:
            return TcpState::kUnknown;
    }
}

}  // namespace engine
