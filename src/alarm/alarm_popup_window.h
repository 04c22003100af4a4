#pragma once

// The window side of the alarm pop-up, small enough for a headless variant. The alarm declares it and
// the ui registers its own at start-up: the desktop's on Windows; without one (the headless shell, the
// tests) the alarm reports each pop-up as one line on standard error.

#include <cstdint>
#include <span>
#include <string>

#include "engine/speed_alarm.h"

namespace alarming {

inline constexpr std::int32_t kPopupWidth = 320;
inline constexpr std::int32_t kPopupHeight = 270;

struct PopupRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const PopupRect&, const PopupRect&) = default;
};

// The bottom-right corner of the screen, from the full-screen client area's size. The bottom lies below
// the client area, over the task bar.
PopupRect PopupRectangle(std::int32_t fullScreenWidth, std::int32_t fullScreenHeight);

// Every call may come from the alarm thread or a pop-up thread.
class IAlarmPopupWindow {
  public:
    virtual ~IAlarmPopupWindow() = default;

    // The foreground window covers the whole monitor it is on (a full-screen game); no monitor, or no
    // foreground window, is not full screen.
    virtual bool IsFullScreenForeground() = 0;
    // The floating window's alarm indicator blinks while HasUnhandledAlarm is set.
    virtual void StartAlarmIndicator() = 0;
    virtual void HideFloatingWindow() = 0;
    // Width and height of the full-screen client area.
    virtual void FullScreenClientSize(std::int32_t& width, std::int32_t& height) = 0;
    // Brings an open acceleration-state pop-up to the foreground; false when none is open.
    virtual bool RaiseExistingPopup() = 0;
    // Shows the acceleration-state pop-up in `rect` and returns when it closes. Its content comes from
    // the alarm history; `output` names the processes of this alarm.
    virtual void ShowAccelerationStatePopup(const PopupRect& rect,
                                            std::span<const engine::SpeedAlarmRecord> output) = 0;
};

// The ui's window side, registered once at start-up; null returns to the headless default.
void RegisterAlarmPopupWindow(IAlarmPopupWindow* window);
// What the alarm calls: each call goes to the window side registered at that moment, or to the
// headless default while none is.
IAlarmPopupWindow& AlarmPopupWindow();
// The headless window side: no desktop and no pop-up to keep open; each pop-up is one line on standard
// error.
IAlarmPopupWindow& HeadlessAlarmPopupWindow();

// The headless report of one alarm, a single line with its line end: each process's name, pid and
// speeds. Line breaks inside names become spaces so that the report stays one line.
std::string FormatAlarmLine(std::span<const engine::SpeedAlarmRecord> output);

}  // namespace alarming
