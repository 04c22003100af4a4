#include "engine/traffic_monitor.h"

#include <atomic>
#include <new>

#include "base/module_path.h"
#include "base/os_error.h"
#include "base/text.h"
#include "base/traffic_log.h"
#include "engine/process_list_push.h"
#include "engine/table_threads.h"

namespace engine {
namespace {

constexpr std::uint32_t kThreadWaitMs = 2000;

std::atomic<TrafficMonitor*> currentMonitor{nullptr};

}  // namespace

TrafficMonitor* CurrentTrafficMonitor() {
    return currentMonitor.load(std::memory_order_acquire);
}

void SetCurrentTrafficMonitor(TrafficMonitor* monitor) {
    currentMonitor.store(monitor, std::memory_order_release);
}

TrafficMonitor::TrafficMonitor(EngineSeams seams, base::Event& quitEvent, PluginChannelFactory openChannel,
                               std::function<void()> requestExit)
    : seams_(std::move(seams)),
      quitEvent_(quitEvent),
      openChannel_(std::move(openChannel)),
      requestExit_(std::move(requestExit)),
      startTime_(base::LocalNow()),
      stopTime_(startTime_),
      processNames_(*seams_.processes),
      table_(engineLock_, *seams_.sockets, processNames_, *seams_.clock),
      nameLists_(OwnExecutableName()),
      adapter_(*seams_.interfaces),
      registry_(table_, processNames_, nameLists_, adapter_),
      statistics_(table_, registry_, adapter_, runningFlag_, startTime_),
      counter_(table_) {}

TrafficMonitor::~TrafficMonitor() {
    {
        base::AutoLock lock(engineLock_);
        stopTime_ = seams_.clock->LocalTime();
    }
    // The workers end on the running flag and the quit event (which the service has normally set
    // already); a paused sniffer needs its event to see the flag.
    runningFlag_.store(0, std::memory_order_relaxed);
    quitEvent_.Set();
    if (snifferEvent_) {
        snifferEvent_->Set();
    }
    captures_.reset();
    postThread_.Join(kThreadWaitMs);
    statusThread_.Join(kThreadWaitMs);
    portThread_.Join(kThreadWaitMs);
    if (seams_.closeEvents) {
        seams_.closeEvents->Interrupt();
    }
    closeThread_.Join(kThreadWaitMs);
    if (networkStarted_) {
        seams_.stopNetworkLibrary();
    }
    statistics_.SetTotalsSink(nullptr);
    channel_.reset();
    {
        base::AutoLock lock(engineLock_);
        table_.Clear();
    }
    base::WriteTrafficLog(u"销毁流量监控实例\n");
}

std::uint32_t TrafficMonitor::Start(std::u16string_view hostProcessName, std::u16string_view pipeName) {
    if (pipeName.empty()) {
        return 0;
    }
    hostProcessName_ = hostProcessName;
    if (Init(pipeName) == 0) {
        base::WriteTrafficLogError("Init failed，error no = %d \n", base::LastOsError());
        return 0;
    }
    {
        base::AutoLock lock(engineLock_);
        startTime_ = seams_.clock->LocalTime();
    }
    const std::uint32_t tableError = table_.InitProcessList();
    if (tableError != 0) {
        base::WriteTrafficLogError("InitProcessList failed，error no = %d \n", base::LastOsError());
        return 0;
    }
    runningFlag_.store(1, std::memory_order_relaxed);
    snifferEvent_->Set();
    const std::uint32_t launchError = LaunchSnifferThread();
    if (launchError == 0) {
        base::WriteTrafficLog(u"启动流量监控成功\n");
        return 1;
    }
    base::WriteTrafficLogError("LaunchSnifferThread failed, error no = %d \n", base::LastOsError());
    base::WriteTrafficLog(u"Start failed\n");
    base::WriteTrafficLog(u"启动流量监控失败\n");
    return 0;
}

std::uint32_t TrafficMonitor::Init(std::u16string_view pipeName) {
    try {
        channel_ = openChannel_(pipeName);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!channel_) {
        return 0;
    }
    statistics_.SetTotalsSink(channel_.get());
    if (seams_.startNetworkLibrary() != 0) {
        return 0;
    }
    networkStarted_ = true;
    const std::uint32_t adapterError = seams_.getAdapterInfo(adapterInfo_);
    if (adapterError != 0) {
        base::WriteTrafficLogError("获取网卡信息失败，error no = %d \n", base::LastOsError());
        return 0;
    }
    snifferEvent_ = std::make_unique<base::Event>(base::EventReset::kManual, true, u"SnifferEvent");
    if (!snifferEvent_->IsValid()) {
        base::WriteTrafficLogError("Create Sniffer Event failed，error no = %d \n",
                                   snifferEvent_->LastError());
        return 0;
    }
    const std::uint32_t privilegeError =
        InitPrivileges(*seams_.privileges, base::ModuleFileName(), hostProcessName_);
    if (privilegeError != 0) {
        base::WriteTrafficLogError("InitPrivileges failed，error no = %d \n", base::LastOsError());
        return 0;
    }
    return 1;
}

std::uint32_t TrafficMonitor::LaunchSnifferThread() {
    const bool statusStarted = statusThread_.Start([this] {
        RefreshProcessStatus(RefreshStatusLinks{
            runningFlag_, quitEvent_, registry_, hostProcessName_,
            ProcessStatusHooks{
                [this](std::uint32_t pid, const std::u16string& name) { OnProcessExited(pid, name); },
                [this] {
                    if (requestExit_) {
                        requestExit_();
                    }
                }}});
    });
    if (!statusStarted) {
        base::WriteTrafficLogError("CreateThread(RefreshProcessStatus) failed，error no = %d \n",
                                   statusThread_.LastError());
        return statusThread_.LastError();
    }
    const bool portStarted = portThread_.Start([this] {
        RefreshProcessPort(RefreshPortLinks{runningFlag_, portRefreshRequested_, quitEvent_, table_});
    });
    if (!portStarted) {
        base::WriteTrafficLogError("CreateThread(RefreshProcessPort)  failed，error no = %d \n",
                                   portThread_.LastError());
        return portThread_.LastError();
    }
    const bool postStarted = postThread_.Start([this] {
        PostData2Plugin(
            PostDataLinks{runningFlag_, quitEvent_, table_, [this](const ProcessListEntry& entry) {
                              return channel_ && channel_->PostProcessListEntry(entry);
                          }});
    });
    if (!postStarted) {
        base::WriteTrafficLogError("CreateThread(PostData2Plugin)  failed，error no = %d \n",
                                   postThread_.LastError());
        return postThread_.LastError();
    }
    if (seams_.closeEvents) {
        const bool closeStarted = closeThread_.Start([this] {
            WatchSocketCloses(
                CloseWatchLinks{runningFlag_, *seams_.closeEvents, table_, adapterInfo_.localAddresses});
        });
        if (!closeStarted) {
            // The tables still name the owners of every socket that lives past a refresh.
            base::WriteTrafficLogError("CreateThread(WatchSocketCloses) failed，error no = %d \n",
                                       closeThread_.LastError());
        }
    }
    captures_ = std::make_unique<CaptureSet>(SnifferLinks{.runningFlag = runningFlag_,
                                                          .monitorState = monitorState_,
                                                          .snifferEvent = *snifferEvent_,
                                                          .quitEvent = quitEvent_,
                                                          .localAddresses = adapterInfo_.localAddresses,
                                                          .counter = counter_,
                                                          .portRefreshRequested = portRefreshRequested_});
    const int captureResult =
        captures_->LaunchCaptures(adapterInfo_.adapterNames, adapterInfo_.adapterAddressLists);
    return static_cast<std::uint32_t>(captureResult);
}

void TrafficMonitor::Pause() {
    if (snifferEvent_) {
        snifferEvent_->Reset();
    }
    monitorState_.store(kMonitorPaused, std::memory_order_relaxed);
    base::WriteTrafficLog(u"暂停流量监控\n");
}

void TrafficMonitor::Resume() {
    if (snifferEvent_) {
        snifferEvent_->Set();
    }
    monitorState_.store(kMonitorRunning, std::memory_order_relaxed);
    base::WriteTrafficLog(u"恢复流量监控\n");
}

void TrafficMonitor::Stop() {
    {
        base::AutoLock lock(engineLock_);
        stopTime_ = seams_.clock->LocalTime();
    }
    if (snifferEvent_) {
        snifferEvent_->Set();
    }
    runningFlag_.store(0, std::memory_order_relaxed);
}

void TrafficMonitor::RegisterAlarmCallback(AlarmCallback function, void* context) {
    statistics_.RegisterAlarmCallback(function, context);
}

void TrafficMonitor::RegisterProcessEventCallback(ProcessEventCallback function, void* context) {
    if (function != nullptr) {
        processEventCallback_ = function;
        processEventContext_ = context;
    }
}

void TrafficMonitor::OnProcessExited(std::uint32_t pid, const std::u16string& name) {
    if (processEventCallback_ != nullptr) {
        processEventCallback_(pid, &name, kStateExited, processEventContext_);
    }
}

base::SystemTime TrafficMonitor::StartTime() {
    base::AutoLock lock(engineLock_);
    return startTime_;
}

base::SystemTime TrafficMonitor::StopTime() {
    base::AutoLock lock(engineLock_);
    return stopTime_;
}

void TrafficMonitor::SetAccelerateGameInfo(const AcceleratedGameInfo& info) {
    base::AutoLock lock(engineLock_);
    gameInfo_ = info;
}

AcceleratedGameInfo TrafficMonitor::GetAccelerateGameInfo() {
    base::AutoLock lock(engineLock_);
    return gameInfo_;
}

}  // namespace engine
