#pragma once

// The running program's answers to the plugin: from the service and the engine (each checked for
// existence at every call, since the plugin may ask before start-up has finished or after the end has
// begun), the settings file and the shell window.

#include "alarm/program_directory.h"
#include "ipc/monitor_requests.h"
#include "ui/shell_window.h"

namespace app {

class ProgramRequests final : public ipc::IMonitorRequests {
  public:
    ProgramRequests(ui::IShellWindow& shell, alarming::ProgramDirectory directory);

    void PauseMonitor() override;
    void ResumeMonitor() override;
    std::uint8_t StopAlarm(std::uint8_t stop) override;
    void ShowBlackListDlg() override;
    void ShowMainDlg() override;
    void ShowSuspensionDlg() override;
    std::uint8_t SetAccelerateProcess(const char16_t* names, std::int32_t namesLength,
                                      const char16_t* separator, std::int32_t separatorLength) override;
    std::uint8_t SetUnclearProcessName(const char16_t* names, std::int32_t namesLength,
                                       const char16_t* separator, std::int32_t separatorLength) override;
    std::int64_t GetReflux(ipc::Reflux which) override;
    std::int64_t GetProcessRefluxByName(std::u16string_view name, ipc::FlowDirection direction) override;
    std::int64_t GetProcessRefluxByPid(std::uint32_t pid, ipc::FlowDirection direction) override;
    std::int64_t GetRefluxBetweenTimeByName(std::u16string_view name, const base::SystemTime& from,
                                            const base::SystemTime& to,
                                            ipc::FlowDirection direction) override;
    std::int64_t GetRefluxBetweenTimeById(std::uint32_t pid, const base::SystemTime& from,
                                          const base::SystemTime& to, ipc::FlowDirection direction) override;
    std::int32_t GetProcessStartTimeByName(std::u16string_view name, base::SystemTime& time) override;
    std::int32_t GetProcessStartTimeByPid(std::uint32_t pid, base::SystemTime& time) override;
    std::int32_t GetProcessExitTimeByName(std::u16string_view name, base::SystemTime& time) override;
    std::int32_t GetProcessExitTimeByPid(std::uint32_t pid, base::SystemTime& time) override;
    std::uint32_t GetProcessTotalTime(std::u16string_view name) override;
    std::int32_t GetFirstAccelerateStartTime(base::SystemTime& time) override;
    std::int32_t GetLastAccelerateExitTime(base::SystemTime& time) override;
    std::uint8_t GetSuspensionDlgState() override;
    void SetSuspensionDlgState(std::uint8_t state) override;
    void RequestExit() override;
    std::uint8_t GetAlarmState() override;
    void SetAlarmState(std::uint8_t state) override;
    void SetAccelerateState(std::uint32_t state) override;
    void SetAccelerateGameInfo(std::uint32_t gameId, const std::u16string& name,
                               const std::u16string& info) override;

  private:
    ui::IShellWindow& shell_;
    alarming::ProgramDirectory directory_;
};

}  // namespace app
