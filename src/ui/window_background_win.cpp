#include "ui/window_background_win.h"

namespace ui {

skin::Bitmap CreateClientBitmap(HWND window, RECT& client) {
    client = RECT{};
    ::GetClientRect(window, &client);
    const skin::WindowDc screen(nullptr, false);
    return skin::Bitmap(::CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
}

}  // namespace ui
