// What the strip's context menu and status button do: menu 207's commands, the About box, the
// accelerator's window, and the main window and acceleration-state pop-up that the button brings up.

#include "ui/suspension_dlg2_win.h"

#include "alarm/acceleration_state.h"
#include "alarm/settings.h"
#include "base/wide_win.h"
#include "base/window_tags.h"
#include "res/resource_ids.h"
#include "ui/floating_layout.h"
#include "ui/window_find_win.h"

namespace ui {
namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

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
            // Modeless main window: an open one comes to the top. Creating one is the main window's part.
            if (HWND main = FindWindowByTag(base::kMainWindowTag); main != nullptr) {
                ::SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
            }
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
            ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), Handle(),
                              AboutProc, 0);
            return true;
        case IDOK:
        case IDCANCEL:
            ::KillTimer(Handle(), kTextTimer);
            EndDialog(id);
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

void CSuspensionDlg2::RaiseMainWindowModal() {
    // An open main window comes to the front without staying there. Running a new one modally is the
    // main window's part.
    HWND main = ::FindWindowW(nullptr, base::Wide(std::u16string(base::kMainWindowTitle)));
    RECT rect{};
    if (main == nullptr || !::GetWindowRect(main, &rect)) {
        return;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (::SetWindowPos(main, HWND_TOPMOST, rect.left, rect.top, width, height, SWP_SHOWWINDOW)) {
        ::SetWindowPos(main, HWND_NOTOPMOST, rect.left, rect.top, width, height, SWP_SHOWWINDOW);
    }
}

void CSuspensionDlg2::OnStatusButton() {
    switch (alarming::AccelerationState.load(std::memory_order_relaxed)) {
        case 0:
            // The main window opens in the strip's place; the strip hides with it once there is one to
            // bring it back.
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
            RECT start{};
            ::GetWindowRect(popup != nullptr ? popup : Handle(), &start);
            const Rect r = ClampAccStatePopup(
                {start.left, start.top, start.right, start.bottom},
                {monitorRect.left, monitorRect.top, monitorRect.right, monitorRect.bottom});
            if (popup == nullptr) {
                // The acceleration-state pop-up opens here in `r`, the strip hidden while it is up.
                break;
            }
            ::ShowWindow(Handle(), SW_HIDE);
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
