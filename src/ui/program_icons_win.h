#pragma once

#include <windows.h>

namespace ui {

// Gives `window` the program's icon (resource 128) at the system's large and small icon sizes.
void SetProgramIcons(HWND window);

}  // namespace ui
