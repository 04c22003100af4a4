#pragma once

#include "alarm/alarm_popup_window.h"

namespace ui {

// The desktop's window side of the alarm pop-up, one per process.
alarming::IAlarmPopupWindow& DesktopAlarmPopupWindow();

}  // namespace ui
