#pragma once

// Pure parsers for the Linux socket close source: the tracepoint's format text, the perf ring's sample
// records and the online CPU list. The record layouts are the kernel's ABI, spelled out here so that
// the parsers build (and are tested) everywhere; socket_close_events_linux.cpp reads the bytes and
// checks the constants against the kernel headers.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/socket_close_events.h"

namespace engine {

// Where one field of a tracepoint record lies, from its format file.
struct TraceField {
    std::size_t offset = 0;
    std::size_t size = 0;
    friend bool operator==(const TraceField&, const TraceField&) = default;
};

// The fields of a tracepoint's format text ("field:TYPE NAME;\toffset:N;\tsize:M;..."), by name; an
// array field is named without its brackets. Lines that are not whole field lines are skipped.
std::map<std::string, TraceField, std::less<>> ParseTraceFormat(std::string_view text);

// A tracepoint's id file ("2287\n").
std::optional<std::uint64_t> ParseTraceId(std::string_view text);

// The fields of sock/inet_sock_set_state that the close source reads.
struct SetStateLayout {
    TraceField commonFlags;                  // common_flags: __u8, the interrupt context of the change
    TraceField oldState, newState;           // int
    TraceField localPort, remotePort;        // sport, dport: __u16, host byte order
    TraceField family, protocol;             // __u16
    TraceField localAddress, remoteAddress;  // saddr, daddr: __u8[4], network byte order
};

// The layout from the tracepoint's format text; nothing when a field is missing or has a size other
// than the one read.
std::optional<SetStateLayout> SetStateLayoutFrom(std::string_view formatText);

// One inet_sock_set_state record, numbers in host byte order except the addresses.
struct SetStateRecord {
    std::uint8_t commonFlags = 0;
    std::int32_t oldState = 0;
    std::int32_t newState = 0;
    std::uint16_t localPort = 0;
    std::uint16_t remotePort = 0;
    std::uint16_t family = 0;
    std::uint16_t protocol = 0;
    std::uint32_t localAddress = 0;
    std::uint32_t remoteAddress = 0;
    friend bool operator==(const SetStateRecord&, const SetStateRecord&) = default;
};

// The record in a sample's raw bytes; nothing when a field lies past them.
std::optional<SetStateRecord> ParseSetStateRecord(std::span<const std::uint8_t> raw,
                                                  const SetStateLayout& layout);

// The local close that a state change stands for: an IPv4 TCP socket with its port entering
// TCP_FIN_WAIT1 or TCP_LAST_ACK, or going from ESTABLISHED or CLOSE_WAIT straight to CLOSE outside
// any interrupt (an abortive close: unread data or a zero linger). Only the owner's close(),
// shutdown() or exit makes these, so `pid`, the process the change happened in, owns the socket.
// Nothing for any other change: the SYN_SENT change comes before the port is chosen, and changes made
// on receipt run in whatever task the interrupt found.
std::optional<SocketCloseEvent> CloseEventFrom(const SetStateRecord& record, std::uint32_t pid);

namespace perf {
inline constexpr std::size_t kHeaderSize = 8;  // struct perf_event_header
inline constexpr std::uint32_t kRecordLost = 2;
inline constexpr std::uint32_t kRecordSample = 9;
}  // namespace perf

// A sample record's body (the bytes after its header) as PERF_SAMPLE_TID | PERF_SAMPLE_RAW lay it out:
// pid (the thread group), tid, then the raw record with its size.
struct PerfSample {
    std::uint32_t pid = 0;
    std::uint32_t tid = 0;
    std::span<const std::uint8_t> raw;
};

// Nothing when the body is shorter than its sizes say.
std::optional<PerfSample> ParsePerfSample(std::span<const std::uint8_t> body);

// The count of a lost record's body (id, then count); 0 when it is short.
std::uint64_t ParsePerfLost(std::span<const std::uint8_t> body);

// A sample body to the close it reports, if it reports one.
std::optional<SocketCloseEvent> ParseCloseSample(std::span<const std::uint8_t> body,
                                                 const SetStateLayout& layout);

// The CPU numbers of a list such as /sys/devices/system/cpu/online ("0-3,6\n"); nothing when any part
// of it does not parse.
std::optional<std::vector<std::uint32_t>> ParseCpuList(std::string_view text);

}  // namespace engine
