#include "ui/floating_state.h"

namespace ui {

bool ShouldReassertTopmost(bool topmostPhase, bool visible, bool isTopmost) {
    return (topmostPhase || visible) && !isTopmost;
}

StatusImage InitialStatusImage(std::uint32_t alarmPopupCount) {
    return alarmPopupCount > 0 ? StatusImage::kAlertA : StatusImage::kNormal;
}

AlarmBlink::Step AlarmBlink::Tick(std::uint32_t accelerationState, bool hasUnhandledAlarm) {
    // The toggle moves on every tick, also the last one, so a new blink may start on either face.
    const StatusImage face = toggle_ ? StatusImage::kAlertB : StatusImage::kAlertA;
    toggle_ = !toggle_;
    if (accelerationState == 1 && hasUnhandledAlarm) {
        return {face, true};
    }
    return {StatusImage::kNormal, false};
}

bool FullScreenTracker::Opened(std::uintptr_t fullScreenWindow, bool stripVisible) {
    if (fullScreenWindow == 0) {
        return false;
    }
    window_ = fullScreenWindow;
    active_ = true;
    if (!stripVisible) {
        return false;
    }
    stripHidden_ = true;
    return true;
}

bool FullScreenTracker::Closed(std::uintptr_t fullScreenWindow, bool showSuspension) {
    if (!showSuspension || !active_ || fullScreenWindow == window_) {
        return false;
    }
    active_ = false;
    return stripHidden_;
}

bool IsAcceleratorReport(std::uintptr_t sent, std::intptr_t received) {
    return sent != 0 || static_cast<std::int32_t>(received) > 0;
}

}  // namespace ui
