#include <windows.h>

#include "alarm/alarm_popup_window.h"
#include "base/wide_win.h"
#include "ui/suspension_dlg2_win.h"
#include "ui/window_find_win.h"

namespace alarming {

namespace {

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

    void StartAlarmIndicator() override {
        if (ui::CSuspensionDlg2* floating = ui::FloatingWindow(); floating != nullptr) {
            floating->PostAlarmStateChange();
        }
    }
    void HideFloatingWindow() override {
        if (ui::CSuspensionDlg2* floating = ui::FloatingWindow(); floating != nullptr) {
            if (HWND window = floating->Window(); window != nullptr) {
                ShowWindowAsync(window, SW_HIDE);
            }
        }
    }

    void FullScreenClientSize(std::int32_t& width, std::int32_t& height) override {
        width = GetSystemMetrics(SM_CXFULLSCREEN);
        height = GetSystemMetrics(SM_CYFULLSCREEN);
    }

    bool RaiseExistingPopup() override {
        HWND found = ui::FindWindowByTag(kAccStatePopupTag);
        if (found == nullptr) {
            return false;
        }
        SetForegroundWindow(found);
        return true;
    }

    // The acceleration-state dialog is not built yet: until it is, the pop-up thread returns after its
    // hand-shake without a window.
    void ShowAccelerationStatePopup(const PopupRect&, std::span<const engine::SpeedAlarmRecord>) override {}
};

}  // namespace

IAlarmPopupWindow& PlatformAlarmPopupWindow() {
    static DesktopAlarmPopupWindow window;
    return window;
}

}  // namespace alarming
