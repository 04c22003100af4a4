#pragma once

// What the statistics tick hands to the alarm: one record per process that moved more than 10 KB/s in
// the last tick, the first record also carrying the machine's figures. The alarm history keeps copies
// of the same records, and only there does the handling state change.

#include <array>
#include <cstdint>
#include <string>

#include "base/system_time.h"
#include "engine/process_records.h"

namespace engine {

// Handling states of a record in the alarm history.
inline constexpr std::uint32_t kAlarmUnhandled = 1;
inline constexpr std::uint32_t kAlarmOptimized = 2;
inline constexpr std::uint32_t kAlarmIgnored = 4;

inline constexpr std::size_t kSpeedAlarmBatchSize = 16;

struct SpeedAlarmRecord {
    SpeedAlarmRecord() : time(base::LocalNow()) {}
    explicit SpeedAlarmRecord(const base::SystemTime& constructed) : time(constructed) {}

    std::uint32_t pid = kNoPid;
    std::uint64_t downBytes = 0;  // the process's down total
    std::uint64_t upBytes = 0;    // the process's up total
    base::SystemTime time;        // the tick that wrote the record
    // The machine figures, written into the first record of a batch that is handed to the alarm.
    std::uint64_t acceleratedTotal = 0;
    std::uint64_t unacceleratedTotal = 0;
    std::uint64_t localTotal = 0;
    std::uint32_t machineFlag = 1;
    std::uint32_t handlingState = kAlarmUnhandled;
    std::u16string downSpeedText;
    std::u16string upSpeedText;
    std::u16string name;
    std::u16string path;
    std::uint32_t kind = kStateRunning;  // the process's state
};

struct SpeedAlarmBatch {
    SpeedAlarmBatch() = default;
    explicit SpeedAlarmBatch(const base::SystemTime& constructed) {
        records.fill(SpeedAlarmRecord(constructed));
    }

    std::array<SpeedAlarmRecord, kSpeedAlarmBatchSize> records;
    std::uint32_t count = 0;  // records filled by the current tick
};

// Called by the tick, with the engine lock held, as (the records, the address of the count, context).
using AlarmCallback = void (*)(SpeedAlarmRecord* records, std::uint32_t* count, void* context);

}  // namespace engine
