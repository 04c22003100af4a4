#include "engine/alarm_thresholds.h"

namespace engine {

AlarmThresholds MakeAlarmThresholds(std::uint64_t downloadVolume, std::uint64_t uploadVolume,
                                    std::uint32_t downloadSpeed, std::uint32_t uploadSpeed,
                                    std::int32_t percentage, std::uint32_t thresholdsSet) {
    AlarmThresholds t;
    t.downloadVolume = downloadVolume;
    t.uploadVolume = uploadVolume;
    t.downloadSpeed = downloadSpeed;
    t.uploadSpeed = uploadSpeed;
    t.thresholdsSet = thresholdsSet;
    // Worked out in double, kept in single precision.
    t.ratio = static_cast<float>(percentage * 1.0 / 100.0);
    if (t.ratio < kMinimumRatio) {
        t.ratio = kMinimumRatio;
    } else if (t.ratio > kMaximumRatio) {
        t.ratio = kMaximumRatio;
    }
    return t;
}

}  // namespace engine
