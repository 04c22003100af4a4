#pragma once

#include <windows.h>

namespace ui {

// The About box (template 100), modal over `owner`.
void ShowAboutBox(HWND owner);

}  // namespace ui
