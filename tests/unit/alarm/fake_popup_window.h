#pragma once

// A window side for the alarm tests: it answers as told and records what the pop-up thread asked of it.
// Calls come from the alarm thread and the pop-up thread, so everything is behind a mutex.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "alarm/alarm_popup_window.h"
#include "base/event.h"

namespace alarm_test {

class FakePopupWindow final : public alarming::IAlarmPopupWindow {
  public:
    struct Shown {
        alarming::PopupRect rect;
        std::vector<engine::SpeedAlarmRecord> output;
    };

    bool IsFullScreenForeground() override { return fullScreen; }
    void StartAlarmIndicator() override { Count(indicatorStarts_); }
    void HideFloatingWindow() override { Count(hides_); }
    void FullScreenClientSize(std::int32_t& w, std::int32_t& h) override {
        w = width;
        h = height;
    }
    bool RaiseExistingPopup() override {
        Count(raises_);
        return popupOpen;
    }
    // Stays "open" until `release` is signalled, when a test gives one.
    void ShowAccelerationStatePopup(const alarming::PopupRect& rect,
                                    std::span<const engine::SpeedAlarmRecord> output) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            shown_.push_back({rect, {output.begin(), output.end()}});
        }
        shownSignal.Set();
        if (release != nullptr) {
            release->Wait(10000);
        }
    }

    std::vector<Shown> ShownPopups() const { return Get(shown_); }
    int IndicatorStarts() const { return Get(indicatorStarts_); }
    int Hides() const { return Get(hides_); }
    int Raises() const { return Get(raises_); }

    std::atomic<bool> fullScreen{false};
    std::atomic<bool> popupOpen{false};
    std::int32_t width = 1024;
    std::int32_t height = 738;
    base::Event* release = nullptr;
    base::Event shownSignal{base::EventReset::kManual, false};  // a pop-up was shown

  private:
    void Count(int& counter) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++counter;
    }
    template <typename T>
    T Get(const T& value) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value;
    }

    mutable std::mutex mutex_;
    std::vector<Shown> shown_;
    int indicatorStarts_ = 0;
    int hides_ = 0;
    int raises_ = 0;
};

}  // namespace alarm_test
