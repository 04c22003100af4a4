#include "ui/program_icons_win.h"

#include "res/resource_ids.h"

namespace ui {

void SetProgramIcons(HWND window) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto icon = [instance](int metricX, int metricY) {
        return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               ::GetSystemMetrics(metricX), ::GetSystemMetrics(metricY),
                                               LR_SHARED));
    };
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon(SM_CXICON, SM_CYICON)));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon(SM_CXSMICON, SM_CYSMICON)));
}

}  // namespace ui
