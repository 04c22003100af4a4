#include "app/monitor_service.h"

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "alarm/alarm_thread.h"
#include "alarm/list_files.h"
#include "alarm/settings.h"
#include "base/os_error.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "metrics/exposition.h"
#include "metrics/metrics_setting.h"
#include "metrics/metrics_snapshot.h"

namespace app {
namespace {

constexpr std::uint32_t kThreadWaitMs = 2000;
constexpr auto kPauseSettleTime = std::chrono::milliseconds(100);
constexpr auto kStartSettleTime = std::chrono::milliseconds(200);

std::atomic<MonitorService*> currentService{nullptr};

}  // namespace

MonitorService* CurrentMonitorService() {
    return currentService.load(std::memory_order_acquire);
}

void SetCurrentMonitorService(MonitorService* service) {
    currentService.store(service, std::memory_order_release);
}

MonitorService::MonitorService(ServiceLinks links) : links_(std::move(links)) {}

MonitorService::~MonitorService() {
    metrics_.reset();
    alarmThread_.Join(kThreadWaitMs);
    if (engine_) {
        alarming::CAlarmThread::GetInstance()->SetAlarmRaisedObserver(nullptr);
        engine::SetCurrentTrafficMonitor(nullptr);
        engine_.reset();
    }
    quitEvent_.reset();
    base::CloseTrafficLog();
}

std::uint32_t GuardedServiceCall(const std::function<std::uint32_t()>& call) {
    try {
        return call();
    } catch (...) {
        return 0;
    }
}

std::uint32_t MonitorService::Start(std::u16string_view hostProcessName, std::u16string_view pipeName) {
    return GuardedServiceCall([&] { return StartUnguarded(hostProcessName, pipeName); });
}

std::uint32_t MonitorService::StartUnguarded(std::u16string_view hostProcessName,
                                             std::u16string_view pipeName) {
    // The monitor runs without its log when the file cannot be opened.
    static_cast<void>(base::OpenTrafficLog());
    alarming::LoadWhiteList(alarming::kWhiteListName);

    quitEvent_ = std::make_unique<base::Event>(base::EventReset::kManual, false, u"Quit Event");
    if (!quitEvent_->IsValid()) {
        base::WriteTrafficLogError("CreateEvent(Quit Event) failed，error no = %d \n",
                                   quitEvent_->LastError());
        return 0;
    }
    try {
        engine_ = std::make_unique<engine::TrafficMonitor>(links_.makeSeams(), *quitEvent_,
                                                           links_.openChannel, links_.requestExit);
    } catch (const std::bad_alloc&) {
        base::WriteTrafficLogError("分配内存失败，error no = %d \n", base::LastOsError());
        return 0;
    }
    engine_->Table().SetKeepMissedBytes(alarming::ReadKeepMissedBytes(alarming::ProgramDirectory()));
    engine::SetCurrentTrafficMonitor(engine_.get());
    alarming::CAlarmThread* alarm = alarming::CAlarmThread::GetInstance();
    engine_->RegisterAlarmCallback(alarming::OnAlarm, alarm);
    engine_->RegisterProcessEventCallback(alarming::OnProcessEvent, alarm);
    // The alarm runs inside the engine's tick, so the engine is there whenever this is called.
    alarm->SetAlarmRaisedObserver([monitor = engine_.get()](const engine::SpeedAlarmRecord& record) {
        if (engine::IPluginChannel* channel = monitor->Channel()) {
            channel->PostAlarmRecord(record);
        }
    });

    if (engine_->Start(hostProcessName, pipeName) == 0) {
        return 0;
    }
    // Until the plugin names the game, the monitor itself is the accelerated process.
    const std::u16string ownName = engine_->Names().OwnName() + u";";
    engine_->Names().SetAccelerateProcess(ownName.c_str(), static_cast<std::int32_t>(ownName.size()), u";",
                                          1);

    alarmLink_ = std::make_unique<AlarmEngineLink>(*engine_);
    if (alarm != nullptr && alarm->Init(alarmLink_.get(), *quitEvent_) == 0) {
        base::WriteTrafficLogError("CAlarmThread::GetInstance()->Init() failed，error no = %d \n",
                                   alarm->LastError());
        return 0;
    }
    if (!alarmThread_.Start([alarm] { alarming::AlarmThreadProc(alarm); })) {
        base::WriteTrafficLogError("CreateThread(AlarmThreadProc) failed，error no = %d \n",
                                   alarmThread_.LastError());
        return 0;
    }
    StartMetricsEndpoint();
    std::this_thread::sleep_for(kStartSettleTime);
    return 1;
}

void MonitorService::StartMetricsEndpoint() {
    const std::optional<metrics::ListenAddress> address =
        metrics::ReadListenSetting(alarming::ProgramDirectory());
    if (!address) {
        return;
    }
    // The monitor runs on without the endpoint when the address cannot be bound (that is logged).
    metrics_ = std::make_unique<metrics::MetricsServer>(
        [] { return metrics::ExpositionText(metrics::ReadMetricsSnapshot(KVT_VERSION)); });
    if (metrics_->Start(*address)) {
        base::WriteTrafficLog(u"metrics endpoint: listening on " + base::Utf8ToUtf16(address->host) + u":" +
                              base::Utf8ToUtf16(std::to_string(address->port)) + u"\n");
    } else {
        metrics_.reset();
    }
}

std::uint32_t MonitorService::Pause() {
    return GuardedServiceCall([this]() -> std::uint32_t {
        if (!engine_) {
            return 0;
        }
        engine_->Pause();
        std::this_thread::sleep_for(kPauseSettleTime);
        return 1;
    });
}

std::uint32_t MonitorService::Resume() {
    return GuardedServiceCall([this]() -> std::uint32_t {
        if (!engine_) {
            return 0;
        }
        engine_->Resume();
        std::this_thread::sleep_for(kPauseSettleTime);
        return 1;
    });
}

std::uint32_t MonitorService::Stop() {
    return GuardedServiceCall([this]() -> std::uint32_t {
        if (engine_) {
            engine_->Stop();
        }
        if (quitEvent_) {
            quitEvent_->Set();
        }
        return 1;
    });
}

}  // namespace app
