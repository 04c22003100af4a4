#pragma once

// What the windows show of the engine, as plain values. Each read takes the engine lock once, copies
// the figures and lets go, so that a window never holds the lock nor a reference into the records,
// which the engine threads keep changing. Without an engine every read answers zeros or nothing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/system_time.h"

namespace engine {

class NameLists;
class ProcessTable;
class TrafficStatistics;

// The machine's and the accelerated side's byte totals of the last statistics tick.
struct TrafficTotals {
    std::uint64_t localUp = 0;
    std::uint64_t localDown = 0;
    std::uint64_t accelerateUp = 0;
    std::uint64_t accelerateDown = 0;
    friend bool operator==(const TrafficTotals&, const TrafficTotals&) = default;
};

// One process record.
struct ProcessRow {
    // The record's place in the engine's process list. Records are never removed while the engine
    // runs, so it names the same process for the engine's whole life.
    std::size_t record = 0;
    std::uint32_t pid = 0;
    std::u16string name;  // with the closed marker once the process has exited
    std::u16string path;
    std::uint32_t state = 0;  // kStateRunning or kStateExited
    base::SystemTime startTime;
    base::SystemTime exitTime;
    // Totals as the last statistics tick summed them.
    std::uint64_t bytesUp = 0;
    std::uint64_t bytesDown = 0;
    std::uint32_t connectionCount = 0;
    bool accelerated = false;
    friend bool operator==(const ProcessRow&, const ProcessRow&) = default;
};

// One local port of a process.
struct ConnectionRow {
    std::uint32_t protocol = 0;      // kProtocolTcp or kProtocolUdp
    std::uint32_t localAddress = 0;  // network byte order; 0 for UDP
    std::uint32_t localPort = 0;
    std::uint32_t remoteAddress = 0;  // network byte order; 0 for UDP
    std::uint32_t remotePort = 0;     // 0 for UDP
    std::uint32_t state = 0;          // kStateOpen or kStateClosed
    // The decoder's counters now, which run ahead of the process totals by up to one tick.
    std::uint64_t bytesUp = 0;
    std::uint64_t bytesDown = 0;
    base::SystemTime startTime;
    base::SystemTime endTime;
    friend bool operator==(const ConnectionRow&, const ConnectionRow&) = default;
};

struct ProcessDetail {
    ProcessRow process;
    std::vector<ConnectionRow> connections;  // in the record's order
    friend bool operator==(const ProcessDetail&, const ProcessDetail&) = default;
};

// The machine traffic dialog's figures.
struct MachineFigures {
    std::u16string hostName;
    std::u16string hostAddress;
    base::SystemTime startTime;  // of the monitoring
    std::uint64_t localUp = 0;
    std::uint64_t localDown = 0;
    friend bool operator==(const MachineFigures&, const MachineFigures&) = default;
};

// The current engine, each under its lock.
TrafficTotals ReadTrafficTotals();
// Every record, exited and accelerated ones included, in list order.
std::vector<ProcessRow> ReadProcessRows();
// Nothing when `record` is not a record of the engine.
std::optional<ProcessDetail> ReadProcessDetail(std::size_t record);
// Every record with its connections.
std::vector<ProcessDetail> ReadAllProcessDetails();
std::optional<MachineFigures> ReadMachineFigures();

// The parts of an engine the reads above copy from; the reads below take the table's engine lock.
struct SnapshotSource {
    ProcessTable& table;
    TrafficStatistics& statistics;
    const NameLists& names;
    std::u16string hostName;
    std::u16string hostAddress;
    base::SystemTime startTime;
};

TrafficTotals ReadTrafficTotals(const SnapshotSource& source);
std::vector<ProcessRow> ReadProcessRows(const SnapshotSource& source);
std::optional<ProcessDetail> ReadProcessDetail(const SnapshotSource& source, std::size_t record);
std::vector<ProcessDetail> ReadAllProcessDetails(const SnapshotSource& source);
MachineFigures ReadMachineFigures(const SnapshotSource& source);

}  // namespace engine
