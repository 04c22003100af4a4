#pragma once

// Records, times and fakes for the alarm thread's tests. Every time is a whole number of seconds after
// one fixed local time, so that rules about seconds can be checked without a clock.

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <tuple>
#include <vector>

#include "alarm/alarm_engine.h"
#include "alarm/alarm_popup_window.h"
#include "base/event.h"
#include "engine/speed_alarm.h"
#include "support/local_time.h"

namespace alarm_test {

// `seconds` after 2024-05-17 10:00:00 local time.
inline base::SystemTime At(std::int64_t seconds) {
    static const std::int64_t origin =
        base::LocalToCalendarSeconds(testing_support::LocalTime(2024, 5, 17, 10));
    return base::CalendarSecondsToLocal(origin + seconds);
}

inline engine::SpeedAlarmRecord Record(std::uint32_t pid, std::u16string_view name, std::int64_t seconds,
                                       std::uint32_t handlingState = engine::kAlarmUnhandled) {
    engine::SpeedAlarmRecord record(At(seconds));
    record.pid = pid;
    record.name = name;
    record.path = u"games/" + std::u16string(name);
    record.downSpeedText = u"12.50KB/S";
    record.upSpeedText = u"1.00MB/S";
    record.handlingState = handlingState;
    return record;
}

using PidList = std::vector<std::uint32_t>;

inline PidList Pids(std::span<const engine::SpeedAlarmRecord> records) {
    PidList pids;
    for (const auto& r : records) {
        pids.push_back(r.pid);
    }
    return pids;
}

// Records what it is given and runs a test's hook on each call, on whatever thread calls it. Read its
// calls once the alarm thread has ended.
class FakeAlarmEngine final : public alarming::IAlarmEngine {
  public:
    using Thresholds =
        std::tuple<std::uint64_t, std::uint64_t, std::uint32_t, std::uint32_t, std::int32_t, std::uint32_t>;
    void SetThresholds(std::uint64_t downVolume, std::uint64_t upVolume, std::uint32_t downSpeed,
                       std::uint32_t upSpeed, std::int32_t percentage, std::uint32_t setFlag) override {
        thresholds.emplace_back(downVolume, upVolume, downSpeed, upSpeed, percentage, setFlag);
        onThresholds();
    }
    void UpdateStatistics() override {
        ++ticks;
        onTick();
    }
    void Stop() override { ++stops; }

    std::vector<Thresholds> thresholds;
    int ticks = 0, stops = 0;
    std::function<void()> onThresholds = [] {}, onTick = [] {};
};

// The window side: answers as told and records what the pop-up thread asked of it.
class FakePopupWindow final : public alarming::IAlarmPopupWindow {
  public:
    struct Shown {
        alarming::PopupRect rect;
        std::vector<engine::SpeedAlarmRecord> output;
    };

    bool IsFullScreenForeground() override { return fullScreen; }
    void StartAlarmIndicator() override { ++indicatorStarts; }
    void HideFloatingWindow() override { ++hides; }
    void FullScreenClientSize(std::int32_t& w, std::int32_t& h) override { w = 1024, h = 738; }
    bool RaiseExistingPopup() override { return popupOpen; }
    // Stays "open" until `release` is signalled, when a test gives one. `shown` may be read once
    // `shownSignal` is set, or when no pop-up thread runs.
    void ShowAccelerationStatePopup(const alarming::PopupRect& rect,
                                    std::span<const engine::SpeedAlarmRecord> output) override {
        shown.push_back({rect, {output.begin(), output.end()}});
        shownSignal.Set();
        if (release != nullptr) {
            release->Wait(10000);
        }
    }

    std::atomic<bool> fullScreen{false}, popupOpen{false};
    std::atomic<int> indicatorStarts{0}, hides{0};
    base::Event* release = nullptr;
    base::Event shownSignal{base::EventReset::kManual, false};  // a pop-up was shown
    std::vector<Shown> shown;
};

}  // namespace alarm_test
