#pragma once

// The service object: opens the traffic log, loads the white list, creates the quit event and the
// engine, starts the engine and the alarm thread; pauses, resumes and stops them for the plugin and
// the windows; on destruction waits for the alarm thread, destroys the engine and closes the log.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "alarm/alarm_engine.h"
#include "base/event.h"
#include "base/worker_thread.h"
#include "engine/engine_seams.h"
#include "engine/plugin_channel.h"
#include "engine/traffic_monitor.h"
#include "metrics/metrics_server.h"

namespace app {

struct ServiceLinks {
    std::function<engine::EngineSeams()> makeSeams;
    engine::PluginChannelFactory openChannel;
    // The program's one-shot exit, for the engine's discovery that the accelerator has ended.
    std::function<void()> requestExit;
};

class MonitorService {
  public:
    explicit MonitorService(ServiceLinks links);
    ~MonitorService();
    MonitorService(const MonitorService&) = delete;
    MonitorService& operator=(const MonitorService&) = delete;

    // Each of the four returns 0 when an exception was caught: none leaves the service.
    // 1 when the engine and the alarm thread run; 0 otherwise (the reason is in the traffic log).
    [[nodiscard]] std::uint32_t Start(std::u16string_view hostProcessName, std::u16string_view pipeName);
    // The engine's pause and resume, then 100 ms: 1, or 0 without an engine.
    std::uint32_t Pause();
    std::uint32_t Resume();
    // The engine's stop, then the quit event, which ends every worker and the alarm thread: 1.
    std::uint32_t Stop();

    // Null before Start has created it.
    engine::TrafficMonitor* Engine() { return engine_.get(); }

  private:
    std::uint32_t StartUnguarded(std::u16string_view hostProcessName, std::u16string_view pipeName);
    void StartMetricsEndpoint();

    // What the alarm thread drives: the engine's thresholds, its statistics tick and its stop.
    class AlarmEngineLink final : public alarming::IAlarmEngine {
      public:
        explicit AlarmEngineLink(engine::TrafficMonitor& monitor) : monitor_(monitor) {}
        void SetThresholds(std::uint64_t downloadVolume, std::uint64_t uploadVolume,
                           std::uint32_t downloadSpeed, std::uint32_t uploadSpeed, std::int32_t percentage,
                           std::uint32_t setFlag) override {
            monitor_.Statistics().SetThresholds(downloadVolume, uploadVolume, downloadSpeed, uploadSpeed,
                                                percentage, setFlag);
        }
        void UpdateStatistics() override { monitor_.Statistics().UpdateStatistics(); }
        void Stop() override { monitor_.Stop(); }

      private:
        engine::TrafficMonitor& monitor_;
    };

    ServiceLinks links_;
    std::unique_ptr<base::Event> quitEvent_;
    std::unique_ptr<engine::TrafficMonitor> engine_;
    std::unique_ptr<AlarmEngineLink> alarmLink_;
    base::WorkerThread alarmThread_;
    // The metrics endpoint, when the settings switch it on.
    std::unique_ptr<metrics::MetricsServer> metrics_;
};

// The result of one of the service's operations: 0 when it threw.
std::uint32_t GuardedServiceCall(const std::function<std::uint32_t()>& call);

// The process-wide service: null before start-up and after the end.
MonitorService* CurrentMonitorService();
void SetCurrentMonitorService(MonitorService* service);

}  // namespace app
