#pragma once

// The engine's traffic statistics. Once a second the tick turns the connection counters that the
// decoder fills into per-process totals, the machine's ("local") totals and the accelerated totals,
// lists the processes that move more than 10 KB/s, asks whether the traffic outside the accelerator
// calls for an alarm, hands the list to the alarm when it does, and pushes the four totals.
//
// "Local" is the whole machine: every process that is not accelerated, from its captured packets, plus
// the payload of ports no process was found for, plus the accelerator's tunnel, from the tunnel's own
// counters. Accelerated processes are left out: their
// traffic is the tunnel's. Bytes are unsigned 64-bit, speeds KB/s with 1 KB = 1000 bytes.
//
// Every figure is guarded by the engine lock (that of the ProcessTable); the thresholds are single words
// written by SetThresholds alone and read without it.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "base/system_time.h"
#include "engine/accelerate_adapter.h"
#include "engine/alarm_thresholds.h"
#include "engine/process_registry.h"
#include "engine/process_table.h"
#include "engine/speed_alarm.h"
#include "engine/totals_sink.h"

namespace engine {

// A process is listed for the alarm above this speed, in either direction.
inline constexpr float kListedSpeedKBps = 10.0f;

// Answer of the per-process total queries when there is nothing to answer.
inline constexpr std::int64_t kNoTotal = -1;

enum class TotalDirection { kDown, kUp };

class TrafficStatistics {
public:
    // `runningFlag` and `startTime` are the engine's own fields. Plugs ResetAcceleratedStatistics into
    // the registry's StopAlarm, and takes it out again on destruction.
    TrafficStatistics(ProcessTable& table, ProcessRegistry& registry, AccelerateAdapter& adapter,
                      const std::atomic<std::uint32_t>& runningFlag, const base::SystemTime& startTime);
    ~TrafficStatistics();
    TrafficStatistics(const TrafficStatistics&) = delete;
    TrafficStatistics& operator=(const TrafficStatistics&) = delete;

    // The once-a-second tick of the alarm thread. Does nothing on a stopped engine; otherwise holds the
    // engine lock throughout the counting and the alarm callback, and pushes the totals after releasing
    // it.
    void UpdateStatistics();

    // 1 when the share of traffic outside the accelerator since the last reset exceeds the percentage
    // while an accelerated process runs, and the machine's download or upload speed exceeds its
    // threshold; else 0.
    std::uint32_t CheckUnacceleratedTraffic();

    // The accelerator stopped: the accelerated processes' counters, the tunnel sums and the accelerated
    // totals go to 0, and the local totals become the baseline of the share.
    void ResetAcceleratedStatistics();

    // `percentage` is a whole number: stored as a fraction, kept within 0.3 to 1.0. The volumes and the
    // set flag are only stored.
    void SetThresholds(std::uint64_t downloadVolume, std::uint64_t uploadVolume, std::uint32_t downloadSpeed,
                       std::uint32_t uploadSpeed, std::int32_t percentage, std::uint32_t setFlag);
    AlarmThresholds Thresholds() const;

    // Kept only when `function` is not null.
    void RegisterAlarmCallback(AlarmCallback function, void* context);
    // The plugin channel; null sends nothing. Returns once no push uses the previous one.
    void SetTotalsSink(ITotalsSink* sink);

    // Machine totals, each under the engine lock.
    std::uint64_t GetLocalDownReflux();
    std::uint64_t GetLocalUpReflux();
    std::uint64_t GetLocalTotalReflux();
    std::uint64_t GetAccelerateDownReflux();
    std::uint64_t GetAccelerateUpReflux();
    std::uint64_t GetAccelerateTotalReflux();
    // The part of the local totals that no process was found for, as the last tick counted it.
    ByteTotals GetUnattributedReflux();

    // Per-process totals as the last tick summed them. A name matches with or without the closed marker,
    // letters A to Z without case. Times compare to the whole second.
    // Every record of the name, exited ones included.
    std::int64_t GetProcessRefluxByName(std::u16string_view name, TotalDirection direction);
    // The first running record of the pid; kNoTotal when none.
    std::int64_t GetProcessRefluxByPid(std::uint32_t pid, TotalDirection direction);
    // Records of the name that started within from..to (both included) and had not exited before from;
    // kNoTotal when from is later than to.
    std::int64_t GetRefluxBetweenTimeByName(std::u16string_view name, const base::SystemTime& from,
                                            const base::SystemTime& to, TotalDirection direction);
    // The first running record of the pid, counted when it started at from or later (else 0); kNoTotal
    // when from is later than to or no running record has the pid.
    std::int64_t GetRefluxBetweenTimeById(std::uint32_t pid, const base::SystemTime& from,
                                          const base::SystemTime& to, TotalDirection direction);

    // The batch of the last tick. Engine lock held while it is used.
    const SpeedAlarmBatch& Batch() const { return batch_; }
    // The local totals at the last reset (up, down). Engine lock held.
    std::uint64_t BaselineUp() const { return baselineUp_; }
    std::uint64_t BaselineDown() const { return baselineDown_; }

private:
    struct MachineTotals {
        std::uint64_t localDown;
        std::uint64_t localUp;
        std::uint64_t accelerateDown;
        std::uint64_t accelerateUp;
    };
    // The tick's work under the engine lock; returns the totals to push.
    MachineTotals Tick();
    void ListIfFast(const ProcessRecord& process);
    void WriteMachineFigures();
    void MarkChecked();

    ProcessTable& table_;
    ProcessRegistry& registry_;
    AccelerateAdapter& adapter_;
    const std::atomic<std::uint32_t>& runningFlag_;
    const base::SystemTime& startTime_;

    std::uint64_t localUp_ = 0;
    std::uint64_t localDown_ = 0;
    std::uint64_t baselineUp_ = 0;
    std::uint64_t baselineDown_ = 0;
    std::uint64_t accelerateUp_ = 0;
    std::uint64_t accelerateDown_ = 0;
    ByteTotals unattributed_;

    std::atomic<std::uint64_t> downloadVolume_{5000};
    std::atomic<std::uint64_t> uploadVolume_{1000};
    std::atomic<std::uint32_t> downloadSpeed_{100};
    std::atomic<std::uint32_t> uploadSpeed_{50};
    std::atomic<float> percentage_{0.5f};
    std::atomic<std::uint32_t> setFlag_{1};

    SpeedAlarmBatch batch_;
    AlarmCallback alarmCallback_ = nullptr;
    void* alarmContext_ = nullptr;
    // Guarded by sinkMutex_, not the engine lock: the push runs outside the latter.
    std::mutex sinkMutex_;
    ITotalsSink* sink_ = nullptr;

    // Kept from one tick, or one check, to the next.
    bool ticked_ = false;
    base::SystemTime previousTickTime_;
    base::SystemTime currentTickTime_;
    bool checked_ = false;
    base::SystemTime previousCheckTime_;
    base::SystemTime currentCheckTime_;
    std::uint64_t checkedLocalUp_ = 0;
    std::uint64_t checkedLocalDown_ = 0;
    std::uint64_t savedAccelerateUp_ = 0;
    std::uint64_t savedAccelerateDown_ = 0;
};

}  // namespace engine
