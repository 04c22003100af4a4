#pragma once

// A static subclassed as a page frame. It keeps its own look; where a gap is set on its top edge (the
// opening under an active tab) it paints that stretch of the edge white.

#include <windows.h>

#include "skin/subclass_win.h"

namespace skin {

class CBorderWindow : public SubclassedWindow {
  public:
    void SetColors(COLORREF border, COLORREF fill) {
        border_ = border;
        fill_ = fill;
    }
    COLORREF BorderColor() const { return border_; }
    COLORREF FillColor() const { return fill_; }
    // The gap on the top edge, in client x coordinates; left >= right means no gap.
    void SetGap(int left, int right);

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    COLORREF border_ = RGB(255, 255, 255);
    COLORREF fill_ = RGB(255, 255, 255);
    int gapLeft_ = 0;
    int gapRight_ = 0;
};

}  // namespace skin
