#pragma once

// A static that paints its own text, wrapped at word boundaries, on the brush its parent gives
// statics; right-aligned when the static has SS_RIGHT.

#include <windows.h>

#include "skin/subclass_win.h"

namespace skin {

class CStaticMultiLine : public SubclassedWindow {
  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void Paint(HDC dc) override;
};

}  // namespace skin
