#pragma once

// What the plugin's requests ask of the running program. CCommIF decodes each request and calls one of
// these on the pipe's reader thread; the program answers from its engine, its settings and its windows.
// Each operation gives its own failure value when the program has no service or engine (yet or any
// more), so CCommIF never needs to know whether one exists.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/system_time.h"

namespace ipc {

// Answer of the byte-count queries when there is nothing to answer (sent as 0xFFFFFFFFFFFFFFFF).
inline constexpr std::int64_t kNoReflux = -1;

// kUnattributed: the machine's bytes, both ways, of ports no process was found for.
enum class Reflux { kLocalDown, kLocalUp, kLocalTotal, kAccelerateDown, kAccelerateUp, kAccelerateTotal, kUnattributed };
enum class FlowDirection { kDown, kUp };

class IMonitorRequests {
public:
    virtual ~IMonitorRequests() = default;

    // The service's pause and resume wrappers (each sleeps 100 ms after the engine's own step).
    virtual void PauseMonitor() = 0;
    virtual void ResumeMonitor() = 0;
    // The engine's StopAlarm with the stop byte, then 50 ms: 1, or 0 without a service.
    virtual std::uint8_t StopAlarm(std::uint8_t stop) = 0;

    // Requests for the windows, carried out on the main thread.
    virtual void ShowBlackListDlg() = 0;
    virtual void ShowMainDlg() = 0;
    virtual void ShowSuspensionDlg() = 0;

    // The engine's name lists: 1 when a name was taken, else 0 (also without an engine). The texts and
    // lengths are in characters, as received.
    virtual std::uint8_t SetAccelerateProcess(const char16_t* names, std::int32_t namesLength,
                                              const char16_t* separator, std::int32_t separatorLength) = 0;
    virtual std::uint8_t SetUnclearProcessName(const char16_t* names, std::int32_t namesLength,
                                               const char16_t* separator, std::int32_t separatorLength) = 0;

    // Machine and accelerated totals; kNoReflux without a service.
    virtual std::int64_t GetReflux(Reflux which) = 0;
    // Per-process totals; kNoReflux when there is nothing to answer.
    virtual std::int64_t GetProcessRefluxByName(std::u16string_view name, FlowDirection direction) = 0;
    virtual std::int64_t GetProcessRefluxByPid(std::uint32_t pid, FlowDirection direction) = 0;
    virtual std::int64_t GetRefluxBetweenTimeByName(std::u16string_view name, const base::SystemTime& from,
                                                    const base::SystemTime& to, FlowDirection direction) = 0;
    virtual std::int64_t GetRefluxBetweenTimeById(std::uint32_t pid, const base::SystemTime& from,
                                                  const base::SystemTime& to, FlowDirection direction) = 0;

    // Time queries: 1 found (time set), 0 still running, -1 none (also without an engine).
    virtual std::int32_t GetProcessStartTimeByName(std::u16string_view name, base::SystemTime& time) = 0;
    virtual std::int32_t GetProcessStartTimeByPid(std::uint32_t pid, base::SystemTime& time) = 0;
    virtual std::int32_t GetProcessExitTimeByName(std::u16string_view name, base::SystemTime& time) = 0;
    virtual std::int32_t GetProcessExitTimeByPid(std::uint32_t pid, base::SystemTime& time) = 0;
    // Seconds; 0 without an engine.
    virtual std::uint32_t GetProcessTotalTime(std::u16string_view name) = 0;
    virtual std::int32_t GetFirstAccelerateStartTime(base::SystemTime& time) = 0;
    virtual std::int32_t GetLastAccelerateExitTime(base::SystemTime& time) = 0;

    // The floating window's visibility setting, and the plugin's change of it (written to the settings
    // file, then the window shown when `state` is 1, else hidden).
    virtual std::uint8_t GetSuspensionDlgState() = 0;
    virtual void SetSuspensionDlgState(std::uint8_t state) = 0;

    // The one-shot exit of the program.
    virtual void RequestExit() = 0;

    // The alarm switch: read from the settings file into AlarmEnabled (1 when the value is 1, else 0),
    // and the plugin's change of it.
    virtual std::uint8_t GetAlarmState() = 0;
    virtual void SetAlarmState(std::uint8_t state) = 0;

    // The accelerator's state for the acceleration-state window; anything but 1 clears the unhandled
    // alarm indicator.
    virtual void SetAccelerateState(std::uint32_t state) = 0;
    // The accelerated game shown by the acceleration-state window.
    virtual void SetAccelerateGameInfo(std::uint32_t gameId, const std::u16string& name,
                                       const std::u16string& info) = 0;
};

}  // namespace ipc
