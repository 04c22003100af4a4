#include "engine/traffic_snapshots.h"

#include "base/lock.h"
#include "engine/name_lists.h"
#include "engine/process_table.h"
#include "engine/traffic_monitor.h"
#include "engine/traffic_statistics.h"

namespace engine {
namespace {

ProcessRow RowOf(const ProcessRecord& process, std::size_t record, const NameLists& names) {
    ProcessRow row;
    row.record = record;
    row.pid = process.pid;
    row.name = process.name;
    row.path = process.path;
    row.state = process.state;
    row.startTime = process.startTime;
    row.exitTime = process.exitTime;
    row.bytesUp = process.bytesUp;
    row.bytesDown = process.bytesDown;
    row.connectionCount = process.portCount;
    row.accelerated = names.IsAcceleratedProcessName(process.name) != 0;
    return row;
}

ConnectionRow RowOf(const ConnectionRecord& connection) {
    return {connection.protocol,   connection.localAddress, connection.localPort, connection.remoteAddress,
            connection.remotePort, connection.state,        connection.bytesUp,   connection.bytesDown,
            connection.startTime,  connection.endTime};
}

ProcessDetail DetailOf(const ProcessRecord& process, std::size_t record, const NameLists& names) {
    ProcessDetail detail{RowOf(process, record, names), {}};
    detail.connections.reserve(process.connections.size());
    for (const ConnectionRecord& connection : process.connections) {
        detail.connections.push_back(RowOf(connection));
    }
    return detail;
}

// Runs `read` on the current engine under its lock; `none` without an engine.
template <typename Result, typename Read>
Result FromCurrentEngine(Read read, Result none) {
    TrafficMonitor* monitor = CurrentTrafficMonitor();
    if (monitor == nullptr) {
        return none;
    }
    base::AutoLock lock(monitor->Table().EngineLock());
    const SnapshotSource source{monitor->Table(),    monitor->Statistics(),  monitor->Names(),
                                monitor->HostName(), monitor->HostAddress(), monitor->StartTime()};
    return read(source);
}

}  // namespace

TrafficTotals ReadTrafficTotals(const SnapshotSource& source) {
    // One hold: the four figures belong to the same tick.
    base::AutoLock lock(source.table.EngineLock());
    TrafficStatistics& statistics = source.statistics;
    return {statistics.GetLocalUpReflux(), statistics.GetLocalDownReflux(),
            statistics.GetAccelerateUpReflux(), statistics.GetAccelerateDownReflux()};
}

std::vector<ProcessRow> ReadProcessRows(const SnapshotSource& source) {
    base::AutoLock lock(source.table.EngineLock());
    std::vector<ProcessRow> rows;
    rows.reserve(source.table.Processes().Count());
    std::size_t record = 0;
    for (const ProcessRecord& process : source.table.Processes()) {
        rows.push_back(RowOf(process, record++, source.names));
    }
    return rows;
}

std::optional<ProcessDetail> ReadProcessDetail(const SnapshotSource& source, std::size_t record) {
    base::AutoLock lock(source.table.EngineLock());
    std::size_t position = 0;
    for (const ProcessRecord& process : source.table.Processes()) {
        if (position == record) {
            return DetailOf(process, record, source.names);
        }
        ++position;
    }
    return std::nullopt;
}

std::vector<ProcessDetail> ReadAllProcessDetails(const SnapshotSource& source) {
    base::AutoLock lock(source.table.EngineLock());
    std::vector<ProcessDetail> details;
    details.reserve(source.table.Processes().Count());
    std::size_t record = 0;
    for (const ProcessRecord& process : source.table.Processes()) {
        details.push_back(DetailOf(process, record++, source.names));
    }
    return details;
}

MachineFigures ReadMachineFigures(const SnapshotSource& source) {
    base::AutoLock lock(source.table.EngineLock());
    return {source.hostName, source.hostAddress, source.startTime, source.statistics.GetLocalUpReflux(),
            source.statistics.GetLocalDownReflux()};
}

TrafficTotals ReadTrafficTotals() {
    return FromCurrentEngine([](const SnapshotSource& s) { return ReadTrafficTotals(s); }, TrafficTotals{});
}

std::vector<ProcessRow> ReadProcessRows() {
    return FromCurrentEngine([](const SnapshotSource& s) { return ReadProcessRows(s); },
                             std::vector<ProcessRow>{});
}

std::optional<ProcessDetail> ReadProcessDetail(std::size_t record) {
    return FromCurrentEngine([record](const SnapshotSource& s) { return ReadProcessDetail(s, record); },
                             std::optional<ProcessDetail>{});
}

std::vector<ProcessDetail> ReadAllProcessDetails() {
    return FromCurrentEngine([](const SnapshotSource& s) { return ReadAllProcessDetails(s); },
                             std::vector<ProcessDetail>{});
}

std::optional<MachineFigures> ReadMachineFigures() {
    return FromCurrentEngine(
        [](const SnapshotSource& s) { return std::optional<MachineFigures>(ReadMachineFigures(s)); },
        std::optional<MachineFigures>{});
}

}  // namespace engine
