#pragma once

#include <windows.h>

#include <string_view>

namespace ui {

// The first top-level window whose property `tag` holds its own handle, or null.
HWND FindWindowByTag(std::u16string_view tag);

// The foreground window when it covers the whole monitor it is on (a full-screen game), else null; no
// foreground window, or no monitor under it, is not full screen.
HWND FullScreenForegroundWindow();

}  // namespace ui
