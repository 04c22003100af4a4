#pragma once

// The process side of the engine: noticing processes that end, the accelerated-process questions, the
// start and exit time queries of the plugin and the windows, and the alarm stop. It works on the
// ProcessTable's records under the engine lock and on the NameLists under the names lock (taken
// second).

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/system_time.h"
#include "engine/accelerate_adapter.h"
#include "engine/name_lists.h"
#include "engine/process_names.h"
#include "engine/process_table.h"

namespace engine {

// What a status pass reports: a process that ended (its name now carries the closed marker), and the
// end of the accelerator's own program, which ends the monitor.
struct ProcessStatusHooks {
    std::function<void(std::uint32_t pid, const std::u16string& name)> processExited;
    std::function<void()> requestExit;
};

// Answers of the time queries: found (1), still running (0), none or bad arguments (-1).
inline constexpr std::int32_t kTimeFound = 1;
inline constexpr std::int32_t kTimeRunning = 0;
inline constexpr std::int32_t kTimeNone = -1;

class ProcessRegistry {
public:
    ProcessRegistry(ProcessTable& table, ProcessNames& names, NameLists& lists, AccelerateAdapter& adapter);
    ProcessRegistry(const ProcessRegistry&) = delete;
    ProcessRegistry& operator=(const ProcessRegistry&) = delete;

    // The statistics' reset of the accelerated side, run by StopAlarm(1) under the engine lock.
    void SetAcceleratedStatisticsReset(std::function<void()> reset) { resetStatistics_ = std::move(reset); }

    // One pass of the RefreshProcessStatus thread: every running record whose process is gone is marked
    // exited. False when the host process (the accelerator) has ended: requestExit was called, nothing
    // was changed, and the thread ends.
    bool RefreshProcessStatus(std::u16string_view hostProcessName, const ProcessStatusHooks& hooks);

    // The accelerator stopped (1) or resumed (any other value) accelerating.
    void StopAlarm(std::uint32_t stop);
    // Read by the statistics tick and the alarm evaluation.
    std::uint32_t AlarmStopped() const { return alarmStopped_.load(std::memory_order_relaxed); }

    // Queries. A name shorter than 5 characters answers the failure value; names compare without case.
    std::int32_t GetStartTimeByPid(std::uint32_t pid, base::SystemTime& time);
    std::int32_t GetStartTimeByName(std::u16string_view name, base::SystemTime& time);
    std::int32_t GetExitTimeByName(std::u16string_view name, base::SystemTime& time);
    // Looks at running records only, so it answers 0 or -1.
    std::int32_t GetExitTimeByPid(std::uint32_t pid, base::SystemTime& time);
    // Seconds lived by every record of the name; 0 when a span is negative.
    std::uint32_t GetTotalTimeByName(std::u16string_view name);
    // The earliest start among the accelerated processes, running ones preferred: 0 running, 1 exited.
    std::int32_t GetFirstAccelerateStartTime(base::SystemTime& time);
    // The latest exit among them: 0 and now while one still runs, 1 and the exit time otherwise.
    std::int32_t GetLastAccelerateExitTime(base::SystemTime& time);
    // 1 while the accelerated process runs (or an unclear alias names some record), else 0.
    std::uint32_t IsAccelerationActive();
    // Name and path of the first record of the accelerated process, running or not; empty when none.
    void GetAcceleratedProcess(std::u16string& name, std::u16string& path);
    std::uint32_t IsAcceleratedProcessName(std::u16string_view name) const {
        return static_cast<std::uint32_t>(lists_.IsAcceleratedProcessName(name));
    }

private:
    ProcessTable& table_;
    ProcessNames& names_;
    NameLists& lists_;
    AccelerateAdapter& adapter_;
    std::function<void()> resetStatistics_;
    std::atomic<std::uint32_t> alarmStopped_{0};
};

}  // namespace engine
