#pragma once

#include <windows.h>

#include "skin/gdi_win.h"

namespace ui {

// A bitmap for painting `window`'s background into: the size of its client area (given back in
// `client`), in the screen's format. Empty when it cannot be made.
skin::Bitmap CreateClientBitmap(HWND window, RECT& client);

}  // namespace ui
