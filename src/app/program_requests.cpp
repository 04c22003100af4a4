#include "app/program_requests.h"

#include <chrono>
#include <thread>

#include "alarm/acceleration_state.h"
#include "alarm/alarm_history.h"
#include "alarm/settings.h"
#include "app/exit_request.h"
#include "app/monitor_service.h"
#include "engine/traffic_monitor.h"

namespace app {
namespace {

constexpr auto kStopAlarmSettleTime = std::chrono::milliseconds(50);

engine::TotalDirection ToEngine(ipc::FlowDirection direction) {
    return direction == ipc::FlowDirection::kDown ? engine::TotalDirection::kDown
                                                  : engine::TotalDirection::kUp;
}

}  // namespace

ProgramRequests::ProgramRequests(ui::IShellWindow& shell, alarming::ProgramDirectory directory)
    : shell_(shell), directory_(std::move(directory)) {}

void ProgramRequests::PauseMonitor() {
    if (MonitorService* service = CurrentMonitorService(); service != nullptr) {
        service->Pause();
    }
}

void ProgramRequests::ResumeMonitor() {
    if (MonitorService* service = CurrentMonitorService(); service != nullptr) {
        service->Resume();
    }
}

std::uint8_t ProgramRequests::StopAlarm(std::uint8_t stop) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    if (CurrentMonitorService() == nullptr || monitor == nullptr) {
        return 0;
    }
    monitor->Registry().StopAlarm(stop);
    std::this_thread::sleep_for(kStopAlarmSettleTime);
    return 1;
}

void ProgramRequests::ShowBlackListDlg() {
    shell_.PostShowBlackList();
}

void ProgramRequests::ShowMainDlg() {
    shell_.PostShowMainModal();
}

void ProgramRequests::ShowSuspensionDlg() {
    shell_.SetVisible(true);
}

std::uint8_t ProgramRequests::SetAccelerateProcess(const char16_t* names, std::int32_t namesLength,
                                                   const char16_t* separator, std::int32_t separatorLength) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    if (monitor == nullptr) {
        return 0;
    }
    return monitor->Names().SetAccelerateProcess(names, namesLength, separator, separatorLength) == 1 ? 1 : 0;
}

std::uint8_t ProgramRequests::SetUnclearProcessName(const char16_t* names, std::int32_t namesLength,
                                                    const char16_t* separator, std::int32_t separatorLength) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    if (monitor == nullptr) {
        return 0;
    }
    return monitor->Names().SetUnclearProcessName(names, namesLength, separator, separatorLength) == 1 ? 1
                                                                                                       : 0;
}

std::int64_t ProgramRequests::GetReflux(ipc::Reflux which) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    if (CurrentMonitorService() == nullptr || monitor == nullptr) {
        return ipc::kNoReflux;
    }
    engine::TrafficStatistics& statistics = monitor->Statistics();
    std::uint64_t bytes = 0;
    switch (which) {
        case ipc::Reflux::kLocalDown:
            bytes = statistics.GetLocalDownReflux();
            break;
        case ipc::Reflux::kLocalUp:
            bytes = statistics.GetLocalUpReflux();
            break;
        case ipc::Reflux::kLocalTotal:
            bytes = statistics.GetLocalTotalReflux();
            break;
        case ipc::Reflux::kAccelerateDown:
            bytes = statistics.GetAccelerateDownReflux();
            break;
        case ipc::Reflux::kAccelerateUp:
            bytes = statistics.GetAccelerateUpReflux();
            break;
        case ipc::Reflux::kAccelerateTotal:
            bytes = statistics.GetAccelerateTotalReflux();
            break;
        case ipc::Reflux::kUnattributed: {
            const engine::ByteTotals unattributed = statistics.GetUnattributedReflux();
            bytes = unattributed.up + unattributed.down;
            break;
        }
    }
    return static_cast<std::int64_t>(bytes);
}

std::int64_t ProgramRequests::GetProcessRefluxByName(std::u16string_view name, ipc::FlowDirection direction) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? ipc::kNoReflux
                              : monitor->Statistics().GetProcessRefluxByName(name, ToEngine(direction));
}

std::int64_t ProgramRequests::GetProcessRefluxByPid(std::uint32_t pid, ipc::FlowDirection direction) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? ipc::kNoReflux
                              : monitor->Statistics().GetProcessRefluxByPid(pid, ToEngine(direction));
}

std::int64_t ProgramRequests::GetRefluxBetweenTimeByName(std::u16string_view name,
                                                         const base::SystemTime& from,
                                                         const base::SystemTime& to,
                                                         ipc::FlowDirection direction) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr
               ? ipc::kNoReflux
               : monitor->Statistics().GetRefluxBetweenTimeByName(name, from, to, ToEngine(direction));
}

std::int64_t ProgramRequests::GetRefluxBetweenTimeById(std::uint32_t pid, const base::SystemTime& from,
                                                       const base::SystemTime& to,
                                                       ipc::FlowDirection direction) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr
               ? ipc::kNoReflux
               : monitor->Statistics().GetRefluxBetweenTimeById(pid, from, to, ToEngine(direction));
}

std::int32_t ProgramRequests::GetProcessStartTimeByName(std::u16string_view name, base::SystemTime& time) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? engine::kTimeNone : monitor->Registry().GetStartTimeByName(name, time);
}

std::int32_t ProgramRequests::GetProcessStartTimeByPid(std::uint32_t pid, base::SystemTime& time) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? engine::kTimeNone : monitor->Registry().GetStartTimeByPid(pid, time);
}

std::int32_t ProgramRequests::GetProcessExitTimeByName(std::u16string_view name, base::SystemTime& time) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? engine::kTimeNone : monitor->Registry().GetExitTimeByName(name, time);
}

std::int32_t ProgramRequests::GetProcessExitTimeByPid(std::uint32_t pid, base::SystemTime& time) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? engine::kTimeNone : monitor->Registry().GetExitTimeByPid(pid, time);
}

std::uint32_t ProgramRequests::GetProcessTotalTime(std::u16string_view name) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? 0 : monitor->Registry().GetTotalTimeByName(name);
}

std::int32_t ProgramRequests::GetFirstAccelerateStartTime(base::SystemTime& time) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? engine::kTimeNone : monitor->Registry().GetFirstAccelerateStartTime(time);
}

std::int32_t ProgramRequests::GetLastAccelerateExitTime(base::SystemTime& time) {
    engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor();
    return monitor == nullptr ? engine::kTimeNone : monitor->Registry().GetLastAccelerateExitTime(time);
}

std::uint8_t ProgramRequests::GetSuspensionDlgState() {
    return static_cast<std::uint8_t>(alarming::ReadShowSetting(directory_));
}

void ProgramRequests::SetSuspensionDlgState(std::uint8_t state) {
    alarming::WriteSuspensionSettings(directory_, state, shell_.Origin());
    shell_.ApplySuspensionState(state == 1);
}

void ProgramRequests::RequestExit() {
    app::RequestExit();
}

std::uint8_t ProgramRequests::GetAlarmState() {
    return alarming::RefreshAlarmEnabled(directory_) == 1 ? 1 : 0;
}

void ProgramRequests::SetAlarmState(std::uint8_t state) {
    alarming::SetAlarmEnabled(directory_, state);
}

void ProgramRequests::SetAccelerateState(std::uint32_t state) {
    alarming::AccelerationState.store(state, std::memory_order_relaxed);
    if (state != 1) {
        alarming::HasUnhandledAlarm.store(0, std::memory_order_relaxed);
    }
}

void ProgramRequests::SetAccelerateGameInfo(std::uint32_t gameId, const std::u16string& name,
                                            const std::u16string& info) {
    if (engine::TrafficMonitor* monitor = engine::CurrentTrafficMonitor(); monitor != nullptr) {
        monitor->SetAccelerateGameInfo({static_cast<std::int32_t>(gameId), name, info});
    }
}

}  // namespace app
