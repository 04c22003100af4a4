#pragma once

// An engine for the alarm thread's tests: it records the thresholds, ticks and stops it is given and runs
// a test's hook on each, on whatever thread calls it.

#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <vector>

#include "alarm/alarm_engine.h"

namespace alarm_test {

struct ThresholdCall {
    std::uint64_t downloadVolume, uploadVolume;
    std::uint32_t downloadSpeed, uploadSpeed;
    std::int32_t percentage;
    std::uint32_t setFlag;
    friend bool operator==(const ThresholdCall&, const ThresholdCall&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const ThresholdCall& c) {
    return out << "{" << c.downloadVolume << ", " << c.uploadVolume << ", " << c.downloadSpeed << ", "
               << c.uploadSpeed << ", " << c.percentage << ", " << c.setFlag << "}";
}

class FakeAlarmEngine final : public alarming::IAlarmEngine {
  public:
    void SetThresholds(std::uint64_t downloadVolume, std::uint64_t uploadVolume, std::uint32_t downloadSpeed,
                       std::uint32_t uploadSpeed, std::int32_t percentage, std::uint32_t setFlag) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            thresholds_.push_back(
                {downloadVolume, uploadVolume, downloadSpeed, uploadSpeed, percentage, setFlag});
        }
        if (onThresholds) {
            onThresholds();
        }
    }
    void UpdateStatistics() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++ticks_;
        }
        if (onTick) {
            onTick();
        }
    }
    void Stop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++stops_;
    }

    std::vector<ThresholdCall> Thresholds() const { return Get(thresholds_); }
    int Ticks() const { return Get(ticks_); }
    int Stops() const { return Get(stops_); }

    // Set before the alarm thread runs.
    std::function<void()> onThresholds;
    std::function<void()> onTick;

  private:
    template <typename T>
    T Get(const T& value) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value;
    }

    mutable std::mutex mutex_;
    std::vector<ThresholdCall> thresholds_;
    int ticks_ = 0;
    int stops_ = 0;
};

}  // namespace alarm_test
