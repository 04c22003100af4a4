#pragma once

// The system's owner-annotated IPv4 socket tables, shaped as the port table needs them. Windows reads
// them with GetExtendedTcpTable/GetExtendedUdpTable; Linux from netlink sock_diag (or /proc/net) with
// the owners found through the socket inodes under /proc/PID/fd.

#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

// TCP states as the IPv4 owner table numbers them (MIB_TCP_STATE).
enum class TcpState : std::uint32_t {
    kUnknown = 0,
    kClosed = 1,
    kListen = 2,
    kSynSent = 3,
    kSynReceived = 4,
    kEstablished = 5,
    kFinWait1 = 6,
    kFinWait2 = 7,
    kCloseWait = 8,
    kClosing = 9,
    kLastAck = 10,
    kTimeWait = 11,
    kDeleteTcb = 12,
};

// Addresses in network byte order (as the tables give them), ports in host byte order. A socket
// without an owner (TIME_WAIT, kernel sockets) has pid 0.
struct TcpRow {
    TcpState state = TcpState::kUnknown;
    std::uint32_t localAddress = 0;
    std::uint16_t localPort = 0;
    std::uint32_t remoteAddress = 0;
    std::uint16_t remotePort = 0;
    std::uint32_t pid = 0;
    friend bool operator==(const TcpRow&, const TcpRow&) = default;
};

struct UdpRow {
    std::uint32_t localAddress = 0;
    std::uint16_t localPort = 0;
    std::uint32_t pid = 0;
    friend bool operator==(const UdpRow&, const UdpRow&) = default;
};

// Result codes: 0, or the system error code of the failed call; kOutOfMemory when a buffer could not
// be allocated.
inline constexpr std::uint32_t kOutOfMemory = 8;

class ISocketTableSource {
public:
    virtual ~ISocketTableSource() = default;
    // Every IPv4 TCP socket in every state, listeners included, sorted by local address and port, then
    // remote address and port.
    virtual std::uint32_t FetchTcpTable(std::vector<TcpRow>& rows) = 0;
    // Every bound IPv4 UDP socket, sorted by local address and port.
    virtual std::uint32_t FetchUdpTable(std::vector<UdpRow>& rows) = 0;
};

// The system's tables. One caller at a time (the Linux variant keeps a cache of socket owners).
std::unique_ptr<ISocketTableSource> CreateSocketTableSource();

// The order of the sorted system tables; addresses compare as numbers, not as stored bytes.
void SortTcpRows(std::vector<TcpRow>& rows);
void SortUdpRows(std::vector<UdpRow>& rows);

}  // namespace engine
