#pragma once

// The thresholds the statistics tick compares against. They change only as a whole, through
// SetThresholds, which the alarm thread calls at start and after every threshold change.

#include <cstdint>

namespace engine {

struct AlarmThresholds {
    std::uint64_t downloadVolume = 5000;  // megabytes; stored, never compared
    std::uint64_t uploadVolume = 1000;    // megabytes; stored, never compared
    std::uint32_t downloadSpeed = 100;    // KB/s, 1 KB = 1000 bytes
    std::uint32_t uploadSpeed = 50;       // KB/s
    float ratio = 0.5f;                   // share of non-accelerated traffic, 0.3 to 1.0 once set
    std::uint32_t thresholdsSet = 1;
};

inline constexpr float kMinimumRatio = 0.3f;
inline constexpr float kMaximumRatio = 1.0f;

// What SetThresholds stores: everything as given, and the percentage as a fraction raised to 0.3 or
// lowered to 1.0, so that the effective share always lies between 30 and 100 percent.
AlarmThresholds MakeAlarmThresholds(std::uint64_t downloadVolume, std::uint64_t uploadVolume,
                                    std::uint32_t downloadSpeed, std::uint32_t uploadSpeed,
                                    std::int32_t percentage, std::uint32_t thresholdsSet);

}  // namespace engine
