#pragma once

// What the alarm thread needs of the traffic engine: the thresholds it hands over, the once-a-second
// statistics tick it drives, and the stop of the engine's timing when the quit event arrives.

#include <cstdint>

namespace alarming {

class IAlarmEngine {
  public:
    virtual ~IAlarmEngine() = default;

    // The volumes in megabytes, the speeds in KB/s, the percentage as a whole number, the set flag 1.
    virtual void SetThresholds(std::uint64_t downloadVolume, std::uint64_t uploadVolume,
                               std::uint32_t downloadSpeed, std::uint32_t uploadSpeed,
                               std::int32_t percentage, std::uint32_t setFlag) = 0;
    // The statistics tick; it may call back into the alarm (OnAlarm) on the same thread.
    virtual void UpdateStatistics() = 0;
    // Records the stop time and clears the running flag.
    virtual void Stop() = 0;
};

}  // namespace alarming
