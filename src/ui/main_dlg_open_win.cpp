// The two ways the main window opens. Each raises an open main window before it makes a new one; what
// they look for differs (the plugin's path the title, the floating window's the tag).

#include <string>

#include "base/wide_win.h"
#include "base/window_tags.h"
#include "ui/main_dlg_win.h"
#include "ui/window_find_win.h"

namespace ui {
namespace {

void RunModal(HWND owner) {
    CMainDlg dialog(false);
    dialog.DoModal(owner);
}

void CreateModeless() {
    auto* dialog = new CMainDlg(true);
    HWND window = dialog->Create(::GetDesktopWindow());
    if (window == nullptr) {
        // Never made: no final message comes to delete it.
        delete dialog;
        return;
    }
    ::ShowWindow(window, SW_SHOW);
}

}  // namespace

void OpenMainWindowModal() {
    HWND main = ::FindWindowW(nullptr, base::Wide(std::u16string(base::kMainWindowTitle)));
    if (main == nullptr) {
        RunModal(nullptr);
        return;
    }
    RECT rect{};
    if (!::GetWindowRect(main, &rect)) {
        RunModal(::GetActiveWindow());
        return;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    // Top-most and back: the window comes to the front without staying there.
    if (!::SetWindowPos(main, HWND_TOPMOST, rect.left, rect.top, width, height, SWP_SHOWWINDOW)) {
        RunModal(::GetActiveWindow());
        return;
    }
    ::SetWindowPos(main, HWND_NOTOPMOST, rect.left, rect.top, width, height, SWP_SHOWWINDOW);
}

void OpenMainWindowModeless() {
    HWND main = FindWindowByTag(base::kMainWindowTag);
    RECT rect{};
    if (main == nullptr || !::GetWindowRect(main, &rect) ||
        !::SetWindowPos(main, HWND_TOP, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                        SWP_NOMOVE | SWP_SHOWWINDOW)) {
        CreateModeless();
    }
}

}  // namespace ui
