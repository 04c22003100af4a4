#pragma once

#include <windows.h>

#include <string_view>

namespace ui {

// The first top-level window that carries the property `tag`, or null.
HWND FindWindowByTag(std::u16string_view tag);

}  // namespace ui
