#pragma once

// Who closed a TCP socket, as it happens. A connection that opens, moves its data and closes between
// two refreshes of the socket tables never shows in them; this source names its owner at the moment
// the owning process closes it, so that its packets can still be attributed. Linux reads the kernel's
// sock/inet_sock_set_state tracepoint; Windows has no such source and keeps to its tables.

#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

// One local close of an IPv4 TCP socket. Addresses in network byte order, ports in host byte order,
// as in TcpRow. The pid is the process (thread group), not the thread that closed.
struct SocketCloseEvent {
    std::uint8_t protocol = 6;  // IPPROTO_TCP
    std::uint32_t localAddress = 0;
    std::uint16_t localPort = 0;
    std::uint32_t remoteAddress = 0;
    std::uint16_t remotePort = 0;
    std::uint32_t pid = 0;
    friend bool operator==(const SocketCloseEvent&, const SocketCloseEvent&) = default;
};

// Start, Poll and Stop belong to one thread; Interrupt may be called from any thread.
class ISocketCloseEvents {
  public:
    virtual ~ISocketCloseEvents() = default;
    // 0, or the system error code of the failed step (no tracing file system, no permission, ...);
    // the engine logs it and keeps to its tables. Windows answers ERROR_NOT_SUPPORTED.
    [[nodiscard]] virtual std::uint32_t Start() = 0;
    // Waits up to `timeoutMs` for closes and replaces `events` with those that arrived (none on a
    // time-out or an interrupt). 0, or the system error code of the failed wait.
    virtual std::uint32_t Poll(std::uint32_t timeoutMs, std::vector<SocketCloseEvent>& events) = 0;
    // Makes a Poll in progress, or the next one, return at once; for a worker thread that is asked
    // to end.
    virtual void Interrupt() = 0;
    virtual void Stop() = 0;
    // Records the kernel dropped because a buffer was full, since Start.
    virtual std::uint64_t Lost() const = 0;
};

std::unique_ptr<ISocketCloseEvents> CreateSocketCloseEvents();

}  // namespace engine
