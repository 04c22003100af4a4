#include "skin/border_window_win.h"

#include "skin/gdi_win.h"

namespace skin {

void CBorderWindow::SetGap(int left, int right) {
    gapLeft_ = left;
    gapRight_ = right;
    if (Handle() != nullptr) {
        ::InvalidateRect(Handle(), nullptr, TRUE);
    }
}

bool CBorderWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_PAINT) {
        return false;
    }
    // The static paints itself first; the gap goes over its top edge.
    result = CallDefault(message, wParam, lParam);
    if (gapRight_ - 1 > gapLeft_ + 1) {
        WindowDc dc(Handle(), false);
        const RECT gap{gapLeft_ + 1, 0, gapRight_ - 1, 1};
        Brush white(::CreateSolidBrush(RGB(255, 255, 255)));
        ::FillRect(dc.Get(), &gap, white.Get());
    }
    return true;
}

}  // namespace skin
