#include "alarm/alarm_popup_thread.h"

#include "alarm/alarm_history.h"

namespace alarming {

std::uint32_t AlarmPopupThread(const std::vector<engine::SpeedAlarmRecord>& output, IAlarmPopupWindow& window,
                               base::Event& ready) {
    bool signalled = false;
    try {
        HasUnhandledAlarm = 1;
        window.StartAlarmIndicator();
        window.HideFloatingWindow();
        std::int32_t width = 0;
        std::int32_t height = 0;
        window.FullScreenClientSize(width, height);
        const PopupRect rect = PopupRectangle(width, height);
        // The alarm thread waits for this before it lets the engine go on; the pop-up itself may stay
        // open for as long as the user likes.
        ready.Set();
        signalled = true;
        if (!window.RaiseExistingPopup()) {
            window.ShowAccelerationStatePopup(rect, output);
        }
    } catch (...) {
        // Nothing leaves a thread; the alarm thread must not wait for a pop-up that failed.
        if (!signalled) {
            ready.Set();
        }
    }
    return 0;
}

}  // namespace alarming
