#pragma once

// The engine: one object, created by the monitor service at start-up and reached by every other part
// through one process-wide pointer. It owns the plugin channel, the port-to-process table with its
// records, the name lists, the tunnel counters, the statistics, the captures and the worker threads,
// and runs them from Start to Stop.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/event.h"
#include "base/lock.h"
#include "base/system_time.h"
#include "base/worker_thread.h"
#include "engine/accelerate_adapter.h"
#include "engine/adapter_info.h"
#include "engine/capture_set.h"
#include "engine/engine_seams.h"
#include "engine/name_lists.h"
#include "engine/plugin_channel.h"
#include "engine/port_table_counter.h"
#include "engine/process_names.h"
#include "engine/process_registry.h"
#include "engine/process_table.h"
#include "engine/traffic_statistics.h"

namespace engine {

inline constexpr std::uint32_t kMonitorRunning = 1;
inline constexpr std::uint32_t kMonitorPaused = 2;
// kMonitorCaptureEnded (3): a sniffer left its loop after Stop.

// Called as (pid, the process's name, kStateExited, context) when a process is found to have ended.
using ProcessEventCallback = void (*)(std::uint32_t pid, const std::u16string* name, std::uint32_t state,
                                      void* context);

// The accelerated game the accelerator reported, for the acceleration-state window.
struct AcceleratedGameInfo {
    std::int32_t gameId = -1;
    std::u16string name;
    std::u16string info;
};

class TrafficMonitor {
  public:
    // `quitEvent` belongs to the service and outlives the engine. `requestExit` ends the program (the
    // accelerator's own process has ended). `openChannel` makes the plugin channel.
    TrafficMonitor(EngineSeams seams, base::Event& quitEvent, PluginChannelFactory openChannel,
                   std::function<void()> requestExit);
    // Waits up to 2000 ms for each thread, closes the captures and the channel, frees the records.
    ~TrafficMonitor();
    TrafficMonitor(const TrafficMonitor&) = delete;
    TrafficMonitor& operator=(const TrafficMonitor&) = delete;

    // 1 started, 0 failed (the reason is in the traffic log). Threads started before a failure keep
    // running until Stop.
    [[nodiscard]] std::uint32_t Start(std::u16string_view hostProcessName, std::u16string_view pipeName);
    void Pause();
    void Resume();
    // Records the stop time and lets every worker end; the engine is not started again.
    void Stop();

    // Each kept only when `function` is not null.
    void RegisterAlarmCallback(AlarmCallback function, void* context);
    void RegisterProcessEventCallback(ProcessEventCallback function, void* context);

    std::uint32_t RunningFlag() const { return runningFlag_.load(std::memory_order_relaxed); }
    std::uint32_t MonitorState() const { return monitorState_.load(std::memory_order_relaxed); }
    base::SystemTime StartTime();
    base::SystemTime StopTime();
    const std::u16string& HostName() const { return adapterInfo_.hostName; }
    const std::u16string& HostAddress() const { return adapterInfo_.hostAddress; }
    const std::u16string& HostProcessName() const { return hostProcessName_; }
    const AdapterInfo& Adapters() const { return adapterInfo_; }
    // Null before the channel is open.
    IPluginChannel* Channel() { return channel_.get(); }

    void SetAccelerateGameInfo(const AcceleratedGameInfo& info);
    AcceleratedGameInfo GetAccelerateGameInfo();

    TrafficStatistics& Statistics() { return statistics_; }
    ProcessRegistry& Registry() { return registry_; }
    NameLists& Names() { return nameLists_; }
    ProcessTable& Table() { return table_; }
    AccelerateAdapter& Adapter() { return adapter_; }
    ProcessNames& ProcessNameSource() { return processNames_; }
    const CaptureSet* Captures() const { return captures_.get(); }

  private:
    [[nodiscard]] std::uint32_t Init(std::u16string_view pipeName);
    [[nodiscard]] std::uint32_t LaunchSnifferThread();
    void OnProcessExited(std::uint32_t pid, const std::u16string& name);

    EngineSeams seams_;
    base::Event& quitEvent_;
    PluginChannelFactory openChannel_;
    std::function<void()> requestExit_;

    std::atomic<std::uint32_t> runningFlag_{0};
    std::atomic<std::uint32_t> monitorState_{kMonitorRunning};
    base::SystemTime startTime_;
    base::SystemTime stopTime_;
    std::atomic<std::uint8_t> portRefreshRequested_{1};
    std::u16string hostProcessName_;
    bool networkStarted_ = false;

    base::ReentrantLock engineLock_;
    AdapterInfo adapterInfo_;
    ProcessNames processNames_;
    ProcessTable table_;
    NameLists nameLists_;
    AccelerateAdapter adapter_;
    ProcessRegistry registry_;
    TrafficStatistics statistics_;
    PortTableCounter counter_;

    std::unique_ptr<IPluginChannel> channel_;
    std::unique_ptr<base::Event> snifferEvent_;
    std::unique_ptr<CaptureSet> captures_;
    base::WorkerThread statusThread_;
    base::WorkerThread portThread_;
    base::WorkerThread postThread_;
    base::WorkerThread closeThread_;

    ProcessEventCallback processEventCallback_ = nullptr;
    void* processEventContext_ = nullptr;
    AcceleratedGameInfo gameInfo_;
};

// The process-wide engine pointer: null before start and after stop; every reader checks it.
TrafficMonitor* CurrentTrafficMonitor();
void SetCurrentTrafficMonitor(TrafficMonitor* monitor);

}  // namespace engine
