#pragma once

// The ui's side of the alarm pop-up, registered with the alarm once at start-up.

namespace ui {

// Windows: the desktop's window side (the floating window's indicator, the acceleration-state pop-up).
// Linux: the headless shell has no desktop, and an alarm is one line on standard error.
void RegisterAlarmPopup();

}  // namespace ui
