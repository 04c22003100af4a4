#include <windows.h>

#include "alarm/alarm_popup_window.h"
#include "base/wide_win.h"

namespace alarming {

namespace {

BOOL CALLBACK FindTaggedWindow(HWND window, LPARAM found) {
    static const std::u16string tag(kAccStatePopupTag);
    if (GetPropW(window, base::Wide(tag)) != nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

class DesktopAlarmPopupWindow final : public IAlarmPopupWindow {
  public:
    bool IsFullScreenForeground() override {
        HWND foreground = GetForegroundWindow();
        if (foreground == nullptr) {
            return false;
        }
        HMONITOR monitor = MonitorFromWindow(foreground, MONITOR_DEFAULTTONULL);
        if (monitor == nullptr) {
            return false;
        }
        MONITORINFO info{};
        info.cbSize = sizeof info;
        RECT window{};
        if (!GetMonitorInfoW(monitor, &info) || !GetWindowRect(foreground, &window)) {
            return false;
        }
        return EqualRect(&window, &info.rcMonitor) != FALSE;
    }

    // The floating window and the acceleration-state dialog are not built yet: until they are, the
    // indicator does nothing and the pop-up thread returns after its hand-shake without a window.
    void StartAlarmIndicator() override {}
    void HideFloatingWindow() override {}

    void FullScreenClientSize(std::int32_t& width, std::int32_t& height) override {
        width = GetSystemMetrics(SM_CXFULLSCREEN);
        height = GetSystemMetrics(SM_CYFULLSCREEN);
    }

    bool RaiseExistingPopup() override {
        HWND found = nullptr;
        EnumWindows(FindTaggedWindow, reinterpret_cast<LPARAM>(&found));
        if (found == nullptr) {
            return false;
        }
        SetForegroundWindow(found);
        return true;
    }

    void ShowAccelerationStatePopup(const PopupRect&, std::span<const engine::SpeedAlarmRecord>) override {}
};

}  // namespace

IAlarmPopupWindow& PlatformAlarmPopupWindow() {
    static DesktopAlarmPopupWindow window;
    return window;
}

}  // namespace alarming
