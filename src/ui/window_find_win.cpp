#include "ui/window_find_win.h"

#include <string>

#include "base/wide_win.h"

namespace ui {
namespace {

struct TagSearch {
    std::u16string tag;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTag(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TagSearch*>(parameter);
    // The tag's value is the window's own handle: a window that carries the name with another value is
    // not the one looked for.
    if (::GetPropW(window, base::Wide(search->tag)) == window) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindWindowByTag(std::u16string_view tag) {
    TagSearch search{std::u16string(tag), nullptr};
    ::EnumWindows(MatchTag, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FullScreenForegroundWindow() {
    HWND foreground = ::GetForegroundWindow();
    RECT window{};
    if (foreground == nullptr || !::GetWindowRect(foreground, &window)) {
        return nullptr;
    }
    HMONITOR monitor = ::MonitorFromRect(&window, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor == nullptr || !::GetMonitorInfoW(monitor, &info)) {
        return nullptr;
    }
    return ::EqualRect(&window, &info.rcMonitor) ? foreground : nullptr;
}

}  // namespace ui
