#include "ui/alarm_popup_win.h"

#include <windows.h>

#include "base/window_tags.h"
#include "ui/acc_state_dlg_win.h"
#include "ui/alarm_popup.h"
#include "ui/process_dialogs_win.h"
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

    // Modal on the pop-up thread; its rows come from the history.
    void ShowAccelerationStatePopup(const alarming::PopupRect& rect,
                                    std::span<const engine::SpeedAlarmRecord>) override {
        RunAccStatePopup(RECT{rect.left, rect.top, rect.right, rect.bottom});
    }
};

}  // namespace

alarming::IAlarmPopupWindow& DesktopAlarmPopupWindow() {
    static DesktopPopupWindow window;
    return window;
}

void RegisterAlarmPopup() {
    alarming::RegisterAlarmPopupWindow(&DesktopAlarmPopupWindow());
    // The alarm windows' lists open the detail dialogs of their processes.
    RegisterProcessDialogOpeners();
}

}  // namespace ui
