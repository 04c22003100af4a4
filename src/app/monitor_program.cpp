#include "app/monitor_program.h"

#include <memory>

#include "alarm/alarm_config.h"
#include "alarm/program_directory.h"
#include "alarm/settings.h"
#include "app/command_line.h"
#include "app/exit_request.h"
#include "app/monitor_service.h"
#include "app/plugin_channel_factory.h"
#include "app/program_requests.h"
#include "app/single_instance.h"
#include "app/system_engine_seams.h"
#include "engine/accelerator_report.h"
#include "engine/traffic_monitor.h"
#include "ui/alarm_popup.h"
#include "ui/shell_window.h"

namespace app {
namespace {

// The end, run on the main thread when the shell window closes: the service stops, every worker ends,
// the service is destroyed.
void EndMonitorService() {
    MonitorService* service = CurrentMonitorService();
    if (service == nullptr) {
        return;
    }
    service->Stop();
    SetCurrentMonitorService(nullptr);
    delete service;
}

// Stops and destroys a service whose start failed, so that its threads end before the program does.
void DiscardService(std::unique_ptr<MonitorService>& service) {
    service->Stop();
    service.reset();
}

}  // namespace

int RunMonitorProgram(std::u16string_view commandLine, const std::function<void()>& beforeWindows) {
    CommandLine parts;
    if (!SplitCommandLine(commandLine, parts)) {
        return 0;
    }
    SingleInstance instance;
    if (!instance.Acquire(kSingleInstanceName)) {
        return 0;
    }
    if (beforeWindows) {
        beforeWindows();
    }

    alarming::ProgramDirectory directory;
    const auto shell = ui::CreateShellWindow({.onClose = EndMonitorService,
                                              .requestExit = [] { RequestExit(); },
                                              .reportAcceleratorTraffic = engine::AddAcceleratorReport});
    // Declared after the shell, so that on every return its thread has ended before the shell goes.
    auto exitRequest = std::make_unique<ExitRequest>(*shell, instance, directory);
    SetProgramExitRequest(exitRequest.get());
    const bool show = alarming::ReadShowSetting(directory) != 0;
    alarming::ShowSuspension.store(show ? 1 : 0, std::memory_order_relaxed);
    // The window is placed before the loader reads the settings: it takes its stored position here.
    const alarming::Location location = alarming::ReadStoredLocation(directory);
    alarming::SuspensionX.store(location.x, std::memory_order_relaxed);
    alarming::SuspensionY.store(location.y, std::memory_order_relaxed);
    // Without its window the monitor still serves the plugin.
    static_cast<void>(shell->Create(show));
    // The alarm's pop-ups go to the ui's window side from here on.
    ui::RegisterAlarmPopup();

    ProgramRequests requests(*shell, directory);
    auto service = std::make_unique<MonitorService>(
        ServiceLinks{SystemEngineSeams, MakePluginChannelFactory(requests), [] { RequestExit(); }});
    SetCurrentMonitorService(service.get());
    std::uint32_t started = 0;
    try {
        started = service->Start(parts.hostProcessName, parts.pipeName);
    } catch (...) {
        started = 0;
    }
    if (engine::TrafficMonitor* monitor = service->Engine();
        monitor != nullptr && monitor->Channel() != nullptr) {
        monitor->Channel()->PostStartResult(static_cast<std::uint8_t>(started));
    }
    if (started == 0) {
        SetCurrentMonitorService(nullptr);
        DiscardService(service);
        SetProgramExitRequest(nullptr);
        return 0;
    }
    // From here on the shell's close destroys the service.
    service.release();

    shell->RunMessageLoop();

    SetProgramExitRequest(nullptr);
    exitRequest.reset();
    instance.Release();
    return 0;
}

}  // namespace app
