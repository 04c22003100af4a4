// The start and exit time queries of the process registry.

#include "engine/process_registry.h"

namespace engine {
namespace {

constexpr std::size_t kMinimumNameLength = 5;

// Times count to the whole second.
std::int64_t Seconds(const base::SystemTime& time) {
    return base::LocalToCalendarSeconds(time);
}

}  // namespace

std::int32_t ProcessRegistry::GetStartTimeByPid(std::uint32_t pid, base::SystemTime& time) {
    time = {};
    base::AutoLock hold(table_.EngineLock());
    for (const ProcessRecord& process : table_.Processes()) {
        if (process.pid == pid && process.state != kStateExited) {
            time = process.startTime;
            return kTimeFound;
        }
    }
    return kTimeNone;
}

std::int32_t ProcessRegistry::GetStartTimeByName(std::u16string_view name, base::SystemTime& time) {
    time = {};
    if (name.size() < kMinimumNameLength) {
        return kTimeNone;
    }
    base::AutoLock hold(table_.EngineLock());
    for (const ProcessRecord& process : table_.Processes()) {
        if (EqualsIgnoringCase(process.name, name)) {
            time = process.startTime;
            return kTimeFound;
        }
    }
    return kTimeNone;
}

std::int32_t ProcessRegistry::GetExitTimeByName(std::u16string_view name, base::SystemTime& time) {
    time = {};
    if (name.size() < kMinimumNameLength) {
        return kTimeNone;
    }
    base::AutoLock hold(table_.EngineLock());
    for (const ProcessRecord& process : table_.Processes()) {
        if (EqualsIgnoringCase(process.name, name)) {
            if (process.state != kStateExited) {
                return kTimeRunning;
            }
            time = process.exitTime;
            return kTimeFound;
        }
    }
    return kTimeNone;
}

std::int32_t ProcessRegistry::GetExitTimeByPid(std::uint32_t pid, base::SystemTime& time) {
    time = {};
    base::AutoLock hold(table_.EngineLock());
    for (const ProcessRecord& process : table_.Processes()) {
        if (process.pid == pid && process.state != kStateExited) {
            return kTimeRunning;
        }
    }
    return kTimeNone;
}

std::uint32_t ProcessRegistry::GetTotalTimeByName(std::u16string_view name) {
    if (name.size() < kMinimumNameLength) {
        return 0;
    }
    base::AutoLock hold(table_.EngineLock());
    const std::int64_t now = Seconds(table_.Clock().LocalTime());
    std::int64_t total = 0;
    for (const ProcessRecord& process : table_.Processes()) {
        if (!EqualsIgnoringCase(process.name, name)) {
            continue;
        }
        const std::int64_t end = process.state == kStateExited ? Seconds(process.exitTime) : now;
        const std::int64_t span = end - Seconds(process.startTime);
        if (span < 0) {
            return 0;
        }
        total += span;
    }
    return static_cast<std::uint32_t>(total);
}

std::int32_t ProcessRegistry::GetFirstAccelerateStartTime(base::SystemTime& time) {
    time = {};
    base::AutoLock hold(table_.EngineLock());
    const ProcessRecord* chosen = nullptr;
    bool runningSeen = false;
    for (const ProcessRecord& process : table_.Processes()) {
        if (!lists_.IsAccelerateMatchName(process.name)) {
            continue;
        }
        const bool running = process.state != kStateExited;
        if (!running && runningSeen) {
            continue;
        }
        // The first running match replaces whatever exited match was chosen before it.
        if (chosen == nullptr || (running && !runningSeen) ||
            Seconds(process.startTime) < Seconds(chosen->startTime)) {
            chosen = &process;
        }
        runningSeen = runningSeen || running;
    }
    if (chosen == nullptr) {
        return kTimeNone;
    }
    time = chosen->startTime;
    return chosen->state != kStateExited ? kTimeRunning : kTimeFound;
}

std::int32_t ProcessRegistry::GetLastAccelerateExitTime(base::SystemTime& time) {
    time = {};
    base::AutoLock hold(table_.EngineLock());
    const ProcessRecord* latest = nullptr;
    for (const ProcessRecord& process : table_.Processes()) {
        if (!lists_.IsAccelerateMatchName(process.name)) {
            continue;
        }
        if (process.state != kStateExited) {
            time = table_.Clock().LocalTime();
            return kTimeRunning;
        }
        if (latest == nullptr || Seconds(process.exitTime) > Seconds(latest->exitTime)) {
            latest = &process;
        }
    }
    if (latest == nullptr) {
        return kTimeNone;
    }
    time = latest->exitTime;
    return kTimeFound;
}

}  // namespace engine
