#pragma once

#include <windows.h>

#include <string_view>

namespace ui {

// The first top-level window whose property `tag` holds its own handle, or null.
HWND FindWindowByTag(std::u16string_view tag);

}  // namespace ui
