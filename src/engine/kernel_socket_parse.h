#pragma once

// Pure parsers of what the Linux kernel says about its IPv4 sockets: the netlink sock_diag dump, the
// /proc/net/tcp and /proc/net/udp tables, and the fd links under /proc/PID/fd. They take the bytes as
// read and never look past them; the readers live in socket_table_linux.cpp. The netlink layout is the
// kernel's fixed ABI, spelled out here so that the parser builds (and is tested) everywhere.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "engine/socket_table.h"

namespace engine {

// One IPv4 socket as the kernel lists it. Addresses in network byte order, ports in host byte order.
struct KernelSocket {
    std::uint8_t linuxState = 0;  // TCP_ESTABLISHED (1) ... TCP_NEW_SYN_RECV (12)
    std::uint32_t localAddress = 0;
    std::uint16_t localPort = 0;
    std::uint32_t remoteAddress = 0;
    std::uint16_t remotePort = 0;
    std::uint64_t inode = 0;  // 0 when no file refers to the socket (TIME_WAIT, not yet accepted)
    friend bool operator==(const KernelSocket&, const KernelSocket&) = default;
};

// Netlink constants of the sock_diag dump (checked against the kernel headers in the Linux build).
namespace netlink {
inline constexpr std::size_t kHeaderSize = 16;  // struct nlmsghdr
inline constexpr std::size_t kAlignment = 4;    // NLMSG_ALIGNTO
inline constexpr std::uint16_t kNoop = 1;       // NLMSG_NOOP
inline constexpr std::uint16_t kError = 2;      // NLMSG_ERROR
inline constexpr std::uint16_t kDone = 3;       // NLMSG_DONE
inline constexpr std::uint16_t kSockDiagByFamily = 20;
inline constexpr std::size_t kInetDiagMsgSize = 72;  // struct inet_diag_msg
inline constexpr std::uint8_t kFamilyInet = 2;       // AF_INET
}  // namespace netlink

// Where a dump stands after one received datagram.
struct DumpProgress {
    enum Status { kMore, kDone, kFailed } status = kMore;
    std::uint32_t error = 0;  // kFailed: the kernel's errno, or EBADMSG (74) for a malformed message
};

// Appends the IPv4 sockets of one datagram of a sock_diag dump (several netlink messages) to `out`.
// Messages of other types are skipped; a message whose length does not fit what was received ends the
// datagram as malformed.
DumpProgress ParseSockDiagDatagram(std::span<const std::uint8_t> datagram, std::vector<KernelSocket>& out);

// The rows of /proc/net/tcp or /proc/net/udp (the same layout). The header and every line that does
// not parse are skipped.
std::vector<KernelSocket> ParseProcNetTable(std::string_view text);

// The inode of an fd link's text "socket:[INODE]"; nothing for any other link.
std::optional<std::uint64_t> ParseSocketInode(std::string_view linkText);

// Linux TCP state numbers to the owner table's.
TcpState TcpStateFromLinux(std::uint8_t linuxState);

}  // namespace engine
