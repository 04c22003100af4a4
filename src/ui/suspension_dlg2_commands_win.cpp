// What the strip's context menu and status button do: menu 207's commands, the About box, the
// accelerator's window, and the main window and acceleration-state pop-up that the button brings up.

#include "ui/suspension_dlg2_win.h"

#include "alarm/acceleration_state.h"
#include "alarm/settings.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "res/resource_ids.h"
#include "ui/about_box_win.h"
#include "ui/acc_state_dlg_win.h"
#include "ui/floating_layout.h"
#include "ui/main_dlg_win.h"
#include "ui/window_find_win.h"

namespace ui {

bool CSuspensionDlg2::OnCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_STATUS_BUTTON:
            if (code == BN_CLICKED) {
                OnStatusButton();
            }
            return true;
        case ID_SHOW_ACCELERATOR:
            ShowAccelerator();
            return true;
        case ID_SHOW_DETAILS:
            OpenMainWindowModeless();
            return true;
        case ID_HIDE_FLOATING:
            HideForSettings();
            return true;
        case ID_SHOW_ALARMS:
            ToggleAlarms();
            return true;
        case ID_EXIT_ACCELERATOR:
            CloseAccelerator();
            return true;
        case ID_APP_ABOUT:
            ShowAboutBox(Handle());
            return true;
        case IDOK:
        case IDCANCEL:
            // Enter and Esc on the strip: only WM_CLOSE and the exit request end the program.
            return true;
        default:
            return false;
    }
}

void CSuspensionDlg2::OnContextMenu() {
    HMENU popup = ContextMenuPopup();
    if (popup == nullptr) {
        return;
    }
    alarming::RefreshAlarmEnabled(directory_);
    ::CheckMenuItem(
        popup, ID_SHOW_ALARMS,
        MF_BYCOMMAND |
            (alarming::AlarmEnabled.load(std::memory_order_relaxed) != 0 ? MF_CHECKED : MF_UNCHECKED));
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The menu closes on a click elsewhere only when its owner is in the foreground.
    ::SetForegroundWindow(Handle());
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    ::PostMessageW(Handle(), WM_NULL, 0, 0);
}

void CSuspensionDlg2::HideForSettings() {
    RECT rect{};
    std::optional<alarming::WindowOrigin> origin;
    if (::GetWindowRect(Handle(), &rect)) {
        origin = alarming::WindowOrigin{rect.left, rect.top};
    }
    alarming::WriteSuspensionSettings(directory_, 0, origin);
    ::ShowWindow(Handle(), SW_HIDE);
}

void CSuspensionDlg2::ToggleAlarms() {
    HMENU popup = ContextMenuPopup();
    const bool checked =
        popup != nullptr && (::GetMenuState(popup, ID_SHOW_ALARMS, MF_BYCOMMAND) & MF_CHECKED) != 0;
    alarming::SetAlarmEnabled(directory_, checked ? 0 : 1);
}

void CSuspensionDlg2::ShowAccelerator() {
    if (HWND accelerator = FindWindowByTag(base::kAcceleratorWindowTag); accelerator != nullptr) {
        ::ShowWindow(accelerator, SW_SHOWNORMAL);
        ::SetForegroundWindow(accelerator);
    }
}

void CSuspensionDlg2::CloseAccelerator() {
    // The accelerator closes; its end then ends this program through the host-process watch.
    if (HWND accelerator = FindWindowByTag(base::kAcceleratorWindowTag); accelerator != nullptr) {
        ::PostMessageW(accelerator, WM_CLOSE, 0, 0);
    }
}

void CSuspensionDlg2::OnStatusButton() {
    switch (alarming::AccelerationState.load(std::memory_order_relaxed)) {
        case 0:
            // The main window opens in the strip's place; its close brings the strip back.
            ::ShowWindow(Handle(), SW_HIDE);
            ::PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(ID_SHOW_DETAILS, 0), 0);
            break;
        case 1: {
            HWND popup = FindWindowByTag(base::kAccStateWindowTag);
            if (popup != nullptr && !::IsWindow(popup)) {
                break;
            }
            RECT monitorRect{0, 0, ::GetSystemMetrics(SM_CXFULLSCREEN), ::GetSystemMetrics(SM_CYFULLSCREEN)};
            if (HMONITOR monitor = ::MonitorFromWindow(::GetForegroundWindow(), MONITOR_DEFAULTTONULL);
                monitor != nullptr) {
                MONITORINFO info{};
                info.cbSize = sizeof(info);
                if (::GetMonitorInfoW(monitor, &info)) {
                    monitorRect = info.rcMonitor;
                }
            }
            ::ShowWindow(Handle(), SW_HIDE);
            RECT start{};
            ::GetWindowRect(popup != nullptr ? popup : Handle(), &start);
            const Rect r = ClampAccStatePopup(
                {start.left, start.top, start.right, start.bottom},
                {monitorRect.left, monitorRect.top, monitorRect.right, monitorRect.bottom});
            if (popup == nullptr) {
                // Modal here; its close shows the strip again.
                RunAccStatePopup(RECT{r.left, r.top, r.right, r.bottom});
                break;
            }
            ::MoveWindow(popup, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
            ::SetForegroundWindow(popup);
            ::ShowWindow(popup, SW_SHOW);
            break;
        }
        default:
            break;
    }
}

}  // namespace ui
