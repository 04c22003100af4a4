#include "ui/alarm_popup_win.h"

#include <windows.h>

#include "base/window_tags.h"
#include "ui/alarm_popup.h"
#include "ui/suspension_dlg2_win.h"
#include "ui/window_find_win.h"

namespace ui {

namespace {

class DesktopPopupWindow final : public alarming::IAlarmPopupWindow {
  public:
    bool IsFullScreenForeground() override { return FullScreenForegroundWindow() != nullptr; }

    void StartAlarmIndicator() override {
        if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr) {
            floating->PostAlarmStateChange();
        }
    }
    void HideFloatingWindow() override {
        if (CSuspensionDlg2* floating = FloatingWindow(); floating != nullptr) {
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
        HWND found = FindWindowByTag(base::kAccStateWindowTag);
        if (found == nullptr) {
            return false;
        }
        SetForegroundWindow(found);
        return true;
    }

    // The acceleration-state dialog is not built yet: until it is, the pop-up thread returns after its
    // hand-shake without a window.
    void ShowAccelerationStatePopup(const alarming::PopupRect&,
                                    std::span<const engine::SpeedAlarmRecord>) override {}
};

}  // namespace

alarming::IAlarmPopupWindow& DesktopAlarmPopupWindow() {
    static DesktopPopupWindow window;
    return window;
}

void RegisterAlarmPopup() {
    alarming::RegisterAlarmPopupWindow(&DesktopAlarmPopupWindow());
}

}  // namespace ui
