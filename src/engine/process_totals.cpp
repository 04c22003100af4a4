// The per-process total queries of the plugin: totals by name or pid, and over a span of time. There is
// no time series; a span selects records by their start and exit times and counts their whole totals.

#include "engine/name_lists.h"
#include "engine/traffic_statistics.h"

namespace engine {
namespace {

// Times count to the whole second.
std::int64_t Seconds(const base::SystemTime& time) {
    return base::LocalToCalendarSeconds(time);
}

// A process that has exited carries the closed marker; it is still the process of that name.
bool HasName(const ProcessRecord& process, std::u16string_view name) {
    if (EqualsIgnoringCase(process.name, name)) {
        return true;
    }
    const std::u16string_view recordName = process.name;
    return recordName.size() == name.size() + kClosedMarker.size() && recordName.ends_with(kClosedMarker) &&
           EqualsIgnoringCase(recordName.substr(0, name.size()), name);
}

std::int64_t TotalOf(const ProcessRecord& process, TotalDirection direction) {
    return static_cast<std::int64_t>(direction == TotalDirection::kDown ? process.bytesDown
                                                                        : process.bytesUp);
}

const ProcessRecord* FirstRunning(const ProcessList& processes, std::uint32_t pid) {
    for (const ProcessRecord& process : processes) {
        if (process.pid == pid && process.state != kStateExited) {
            return &process;
        }
    }
    return nullptr;
}

}  // namespace

std::int64_t TrafficStatistics::GetProcessRefluxByName(std::u16string_view name, TotalDirection direction) {
    base::AutoLock hold(table_.EngineLock());
    std::int64_t total = 0;
    for (const ProcessRecord& process : table_.Processes()) {
        if (HasName(process, name)) {
            total += TotalOf(process, direction);
        }
    }
    return total;
}

std::int64_t TrafficStatistics::GetProcessRefluxByPid(std::uint32_t pid, TotalDirection direction) {
    base::AutoLock hold(table_.EngineLock());
    const ProcessRecord* process = FirstRunning(table_.Processes(), pid);
    return process != nullptr ? TotalOf(*process, direction) : kNoTotal;
}

std::int64_t TrafficStatistics::GetRefluxBetweenTimeByName(std::u16string_view name,
                                                           const base::SystemTime& from,
                                                           const base::SystemTime& to,
                                                           TotalDirection direction) {
    const std::int64_t begin = Seconds(from);
    const std::int64_t end = Seconds(to);
    if (begin > end) {
        return kNoTotal;
    }
    base::AutoLock hold(table_.EngineLock());
    std::int64_t total = 0;
    for (const ProcessRecord& process : table_.Processes()) {
        if (!HasName(process, name)) {
            continue;
        }
        const std::int64_t started = Seconds(process.startTime);
        // A running record's exit time is its start time, so only its start decides.
        if (started >= begin && started <= end && Seconds(process.exitTime) >= begin) {
            total += TotalOf(process, direction);
        }
    }
    return total;
}

std::int64_t TrafficStatistics::GetRefluxBetweenTimeById(std::uint32_t pid, const base::SystemTime& from,
                                                         const base::SystemTime& to,
                                                         TotalDirection direction) {
    const std::int64_t begin = Seconds(from);
    if (begin > Seconds(to)) {
        return kNoTotal;
    }
    base::AutoLock hold(table_.EngineLock());
    const ProcessRecord* process = FirstRunning(table_.Processes(), pid);
    if (process == nullptr) {
        return kNoTotal;
    }
    return Seconds(process->startTime) >= begin ? TotalOf(*process, direction) : 0;
}

}  // namespace engine
