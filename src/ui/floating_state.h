#pragma once

// The floating window's decisions that do not need a window: its timers, the status button's face,
// full-screen applications and the accelerator's traffic reports. The window code asks these and
// carries out the answers.

#include <cstdint>

namespace ui {

// Timer 1: the strip takes the top of the z-order back once the start-up phase is over (timer 3 has
// fired) or while it is visible, whenever it has lost the top-most style.
bool ShouldReassertTopmost(bool topmostPhase, bool visible, bool isTopmost);

// The status button's three faces.
enum class StatusImage { kAlertA, kAlertB, kNormal };

// The face at creation: the alert face once any alarm pop-up has been shown.
StatusImage InitialStatusImage(std::uint32_t alarmPopupCount);

// Timer 2, the alarm blink: the faces alternate A, B, A, ... while the accelerator accelerates
// (AccelerationState 1) and an alarm is unhandled; otherwise the normal face returns and the timer stops.
class AlarmBlink {
  public:
    struct Step {
        StatusImage image;
        bool keepBlinking;
    };
    Step Tick(std::uint32_t accelerationState, bool hasUnhandledAlarm);

  private:
    bool toggle_ = false;
};

// Full-screen applications, as the app-bar notification reports them. Windows are opaque non-zero ids;
// 0 is "no full-screen window in front".
class FullScreenTracker {
  public:
    // Opened, with the full-screen foreground window (0: the foreground window does not cover its
    // monitor). Answers whether to hide the strip, which is visible when `stripVisible`.
    bool Opened(std::uintptr_t fullScreenWindow, bool stripVisible);
    // Closed, with the full-screen foreground window now (0 when none). Answers whether to show the
    // windows hidden for the full-screen application again; only when the strip is to be shown at all
    // and the application in front is no longer the one that hid it.
    bool Closed(std::uintptr_t fullScreenWindow, bool showSuspension);

    bool Active() const { return active_; }
    bool StripHidden() const { return stripHidden_; }

  private:
    bool active_ = false;
    bool stripHidden_ = false;
    std::uintptr_t window_ = 0;
};

// The accelerator's traffic report (UM_ACCEL_ADAPTER): the counts go to the tunnel counters unless
// both are empty; the received count is taken as a signed 32-bit number.
bool IsAcceleratorReport(std::uintptr_t sent, std::intptr_t received);

}  // namespace ui
