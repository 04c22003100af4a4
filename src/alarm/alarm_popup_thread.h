#pragma once

// The acceleration-state pop-up runs on a thread of its own, with its own modal loop, so that the alarm
// thread (which holds the engine lock) only waits for the pop-up to be under way.

#include <cstdint>
#include <vector>

#include "alarm/alarm_popup_window.h"
#include "base/event.h"
#include "engine/speed_alarm.h"

namespace alarming {

// Sets HasUnhandledAlarm, starts the floating window's indicator and hides the window, then signals
// `ready` and either raises the pop-up that is already open or shows a new one at the bottom right of
// the screen until it closes. Returns 0.
std::uint32_t AlarmPopupThread(const std::vector<engine::SpeedAlarmRecord>& output, IAlarmPopupWindow& window,
                               base::Event& ready);

}  // namespace alarming
