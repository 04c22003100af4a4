#include "engine/traffic_statistics.h"

#include <string>

#include "format/value_format.h"

namespace engine {
namespace {

std::int64_t Difference(std::uint64_t now, std::uint64_t before) {
    return static_cast<std::int64_t>(now) - static_cast<std::int64_t>(before);
}

}  // namespace

TrafficStatistics::TrafficStatistics(ProcessTable& table, ProcessRegistry& registry,
                                     AccelerateAdapter& adapter,
                                     const std::atomic<std::uint32_t>& runningFlag,
                                     const base::SystemTime& startTime)
    : table_(table),
      registry_(registry),
      adapter_(adapter),
      runningFlag_(runningFlag),
      startTime_(startTime),
      batch_(table.Clock().LocalTime()) {
    registry_.SetAcceleratedStatisticsReset([this] { ResetAcceleratedStatistics(); });
}

TrafficStatistics::~TrafficStatistics() {
    registry_.SetAcceleratedStatisticsReset(nullptr);
}

void TrafficStatistics::UpdateStatistics() {
    if (runningFlag_.load(std::memory_order_relaxed) == 0) {
        return;
    }
    const MachineTotals totals = Tick();
    // Outside the engine lock: a plugin that does not read holds up nothing but its own pushes.
    std::lock_guard<std::mutex> pushing(sinkMutex_);
    if (sink_ != nullptr) {
        sink_->PushTotals(totals.localDown, totals.localUp, totals.accelerateDown, totals.accelerateUp);
    }
}

TrafficStatistics::MachineTotals TrafficStatistics::Tick() {
    base::AutoLock hold(table_.EngineLock());
    savedAccelerateUp_ = accelerateUp_;
    savedAccelerateDown_ = accelerateDown_;
    localUp_ = 0;
    localDown_ = 0;
    batch_.count = 0;

    if (!ticked_) {
        previousTickTime_ = currentTickTime_ = startTime_;
        ticked_ = true;
    }
    currentTickTime_ = table_.Clock().LocalTime();

    for (ProcessRecord& process : table_.Processes()) {
        // Closed connections keep their counters, so the totals only grow.
        std::uint64_t up = 0;
        std::uint64_t down = 0;
        for (const ConnectionRecord& connection : process.connections) {
            up += connection.bytesUp;
            down += connection.bytesDown;
        }
        process.bytesUp = up;
        process.bytesDown = down;
        if (registry_.IsAcceleratedProcessName(process.name) == 0) {
            localDown_ += down;
            localUp_ += up;
            if (registry_.AlarmStopped() == 0 && process.state != kStateExited) {
                ListIfFast(process);
            }
        }
        process.previousDown = down;
        process.previousUp = up;
    }

    const AccelerateAdapter::Counters counters = adapter_.GetCounters();
    if (counters.ok == 1) {
        accelerateUp_ = counters.sent;
        accelerateDown_ = counters.received;
    } else {
        // The tunnel could not be read this time: its last figures stand.
        accelerateUp_ = savedAccelerateUp_;
        accelerateDown_ = savedAccelerateDown_;
    }
    localDown_ += accelerateDown_;
    localUp_ += accelerateUp_;
    // Payload that no process has claimed (yet) is still the machine's traffic.
    unattributed_ = table_.Unattributed();
    localDown_ += unattributed_.down;
    localUp_ += unattributed_.up;

    if (CheckUnacceleratedTraffic() == 1) {
        WriteMachineFigures();
        if (alarmCallback_ != nullptr) {
            alarmCallback_(batch_.records.data(), &batch_.count, alarmContext_);
        }
    }
    previousTickTime_ = currentTickTime_;
    return MachineTotals{localDown_, localUp_, accelerateDown_, accelerateUp_};
}

// Called before the process's previous totals move on to this tick's.
void TrafficStatistics::ListIfFast(const ProcessRecord& process) {
    std::u16string upText;
    std::u16string downText;
    const float upSpeed = format::ComputeSpeed(upText, previousTickTime_, currentTickTime_,
                                               Difference(process.bytesUp, process.previousUp));
    const float downSpeed = format::ComputeSpeed(downText, previousTickTime_, currentTickTime_,
                                                 Difference(process.bytesDown, process.previousDown));
    if ((upSpeed > kListedSpeedKBps || downSpeed > kListedSpeedKBps) && batch_.count < kSpeedAlarmBatchSize) {
        SpeedAlarmRecord& record = batch_.records[batch_.count];
        record.name = process.name;
        record.pid = process.pid;
        record.path = process.path;
        record.upBytes = process.bytesUp;
        record.downBytes = process.bytesDown;
        record.time = currentTickTime_;
        record.upSpeedText = std::move(upText);
        record.downSpeedText = std::move(downText);
        record.kind = process.state;
        ++batch_.count;
    }
}

// The first record carries the machine figures whether or not it also holds a process.
void TrafficStatistics::WriteMachineFigures() {
    SpeedAlarmRecord& first = batch_.records[0];
    first.acceleratedTotal = GetAccelerateTotalReflux();
    first.localTotal = GetLocalTotalReflux();
    first.unacceleratedTotal = first.localTotal - first.acceleratedTotal;
    first.time = currentTickTime_;
    first.machineFlag = 1;
    first.kind = kStateRunning;
}

std::uint32_t TrafficStatistics::CheckUnacceleratedTraffic() {
    base::AutoLock hold(table_.EngineLock());
    if (!checked_) {
        previousCheckTime_ = currentCheckTime_ = startTime_;
        checked_ = true;
    }
    currentCheckTime_ = table_.Clock().LocalTime();

    const auto local = static_cast<std::int64_t>(GetLocalTotalReflux());
    const std::int64_t sinceReset =
        local - static_cast<std::int64_t>(baselineUp_) - static_cast<std::int64_t>(baselineDown_);
    const auto accelerated = static_cast<std::int64_t>(GetAccelerateTotalReflux());
    const std::int64_t unaccelerated = sinceReset - accelerated;
    if (registry_.AlarmStopped() == 1 || local <= 0 || unaccelerated <= 0 || accelerated <= 0 ||
        registry_.IsAccelerationActive() == 0) {
        MarkChecked();
        return 0;
    }

    const auto ratio =
        static_cast<float>(static_cast<double>(unaccelerated) * 1.0 / static_cast<double>(sinceReset));
    if (!(ratio > percentage_.load(std::memory_order_relaxed))) {
        // The speeds below are then measured from the last time the share was high or a condition failed.
        return 0;
    }

    std::u16string text;
    const float upSpeed = format::ComputeSpeed(text, previousCheckTime_, currentCheckTime_,
                                               Difference(localUp_, checkedLocalUp_));
    const float downSpeed = format::ComputeSpeed(text, previousCheckTime_, currentCheckTime_,
                                                 Difference(localDown_, checkedLocalDown_));
    MarkChecked();
    const auto downLimit = static_cast<float>(downloadSpeed_.load(std::memory_order_relaxed));
    const auto upLimit = static_cast<float>(uploadSpeed_.load(std::memory_order_relaxed));
    return downSpeed > downLimit || upSpeed > upLimit ? 1 : 0;
}

void TrafficStatistics::MarkChecked() {
    previousCheckTime_ = currentCheckTime_;
    checkedLocalDown_ = localDown_;
    checkedLocalUp_ = localUp_;
}

void TrafficStatistics::ResetAcceleratedStatistics() {
    base::AutoLock hold(table_.EngineLock());
    for (ProcessRecord& process : table_.Processes()) {
        if (registry_.IsAcceleratedProcessName(process.name) != 1) {
            continue;
        }
        for (ConnectionRecord& connection : process.connections) {
            connection.bytesUp = 0;
            connection.bytesDown = 0;
        }
        process.bytesUp = 0;
        process.bytesDown = 0;
    }
    adapter_.SetCounters(0, 0);
    accelerateUp_ = 0;
    accelerateDown_ = 0;
    baselineUp_ = localUp_;
    baselineDown_ = localDown_;
}

void TrafficStatistics::SetThresholds(std::uint64_t downloadVolume, std::uint64_t uploadVolume,
                                      std::uint32_t downloadSpeed, std::uint32_t uploadSpeed,
                                      std::int32_t percentage, std::uint32_t setFlag) {
    const AlarmThresholds t =
        MakeAlarmThresholds(downloadVolume, uploadVolume, downloadSpeed, uploadSpeed, percentage, setFlag);
    downloadVolume_.store(t.downloadVolume, std::memory_order_relaxed);
    uploadVolume_.store(t.uploadVolume, std::memory_order_relaxed);
    downloadSpeed_.store(t.downloadSpeed, std::memory_order_relaxed);
    uploadSpeed_.store(t.uploadSpeed, std::memory_order_relaxed);
    percentage_.store(t.ratio, std::memory_order_relaxed);
    setFlag_.store(t.thresholdsSet, std::memory_order_relaxed);
}

AlarmThresholds TrafficStatistics::Thresholds() const {
    AlarmThresholds thresholds;
    thresholds.downloadVolume = downloadVolume_.load(std::memory_order_relaxed);
    thresholds.uploadVolume = uploadVolume_.load(std::memory_order_relaxed);
    thresholds.downloadSpeed = downloadSpeed_.load(std::memory_order_relaxed);
    thresholds.uploadSpeed = uploadSpeed_.load(std::memory_order_relaxed);
    thresholds.ratio = percentage_.load(std::memory_order_relaxed);
    thresholds.thresholdsSet = setFlag_.load(std::memory_order_relaxed);
    return thresholds;
}

void TrafficStatistics::RegisterAlarmCallback(AlarmCallback function, void* context) {
    if (function == nullptr) {
        return;
    }
    base::AutoLock hold(table_.EngineLock());
    alarmCallback_ = function;
    alarmContext_ = context;
}

void TrafficStatistics::SetTotalsSink(ITotalsSink* sink) {
    // Waits for a push in progress, so the sink taken out is no longer in use.
    std::lock_guard<std::mutex> pushing(sinkMutex_);
    sink_ = sink;
}

std::uint64_t TrafficStatistics::GetLocalDownReflux() {
    base::AutoLock hold(table_.EngineLock());
    return localDown_;
}

ByteTotals TrafficStatistics::GetUnattributedReflux() {
    base::AutoLock hold(table_.EngineLock());
    return unattributed_;
}

std::uint64_t TrafficStatistics::GetLocalUpReflux() {
    base::AutoLock hold(table_.EngineLock());
    return localUp_;
}

std::uint64_t TrafficStatistics::GetLocalTotalReflux() {
    base::AutoLock hold(table_.EngineLock());
    return localUp_ + localDown_;
}

std::uint64_t TrafficStatistics::GetAccelerateDownReflux() {
    base::AutoLock hold(table_.EngineLock());
    return accelerateDown_;
}

std::uint64_t TrafficStatistics::GetAccelerateUpReflux() {
    base::AutoLock hold(table_.EngineLock());
    return accelerateUp_;
}

std::uint64_t TrafficStatistics::GetAccelerateTotalReflux() {
    base::AutoLock hold(table_.EngineLock());
    return accelerateUp_ + accelerateDown_;
}

}  // namespace engine
