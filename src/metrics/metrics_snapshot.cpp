#include "metrics/metrics_snapshot.h"

#include <algorithm>
#include <map>
#include <string>

#include "alarm/alarm_history.h"
#include "alarm/settings.h"
#include "base/lock.h"
#include "base/text.h"
#include "engine/capture_set.h"
#include "engine/process_records.h"
#include "engine/traffic_monitor.h"

namespace metrics {

std::vector<ProcessFigures> FiguresByName(const std::vector<engine::ProcessRow>& rows) {
    std::map<std::u16string, ProcessFigures> byName;
    for (const engine::ProcessRow& row : rows) {
        std::u16string_view name = row.name;
        if (name.ends_with(engine::kClosedMarker)) {
            name.remove_suffix(engine::kClosedMarker.size());
        }
        ProcessFigures& figures = byName[std::u16string(name)];
        figures.bytes.up += row.bytesUp;
        figures.bytes.down += row.bytesDown;
        if (row.state == engine::kStateRunning) {
            figures.connections += row.connectionCount;
        }
    }
    std::vector<ProcessFigures> out;
    out.reserve(byName.size());
    for (auto& [name, figures] : byName) {
        figures.name = base::Utf16ToUtf8(name);
        out.push_back(std::move(figures));
    }
    return out;
}

MetricsSnapshot ReadMetricsSnapshot(std::string_view version) {
    MetricsSnapshot snapshot;
    snapshot.version = std::string(version);
    snapshot.alarmEnabled = alarming::AlarmEnabled.load() == 1;
    snapshot.alarmsRaised = alarming::AlarmPopupCount.load();
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    if (monitor == nullptr) {
        return snapshot;
    }
    engine::TrafficTotals totals;
    engine::ByteTotals unattributed;
    std::vector<engine::ProcessRow> rows;
    {
        base::AutoLock lock(monitor->Table().EngineLock());
        const engine::SnapshotSource source{monitor->Table(),       monitor->Statistics(),
                                            monitor->Names(),       monitor->HostName(),
                                            monitor->HostAddress(), monitor->StartTime()};
        totals = engine::ReadTrafficTotals(source);
        rows = engine::ReadProcessRows(source);
        unattributed = monitor->Statistics().GetUnattributedReflux();
        const engine::AlarmThresholds thresholds = monitor->Statistics().Thresholds();
        snapshot.shareThreshold = thresholds.ratio;
        // The thresholds are in KB/s of 1000 bytes.
        snapshot.speedThreshold = {std::uint64_t{thresholds.uploadSpeed} * 1000,
                                   std::uint64_t{thresholds.downloadSpeed} * 1000};
        if (const engine::CaptureSet* captures = monitor->Captures(); captures != nullptr) {
            for (const auto& context : captures->Contexts()) {
                snapshot.drops.push_back(
                    {base::Utf16ToUtf8(context->adapterName), context->capture.Dropped()});
            }
        }
    }
    snapshot.machine = {totals.localUp, totals.localDown};
    snapshot.accelerated = {totals.accelerateUp, totals.accelerateDown};
    snapshot.unattributed = {unattributed.up, unattributed.down};
    snapshot.processes = FiguresByName(rows);
    return snapshot;
}

}  // namespace metrics
