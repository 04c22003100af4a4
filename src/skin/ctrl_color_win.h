#pragma once

// Control colours of a skinned dialog: the dialog's background brush and, for statics, a transparent
// background with a per-control text colour. A dialog mixes it in and passes its messages through
// ProcessCtrlColor after its own handling.

#include <windows.h>

#include <cstdint>
#include <map>
#include <vector>

#include "base/scoped_handle_win.h"

namespace skin {

class CtrlColorState {
  public:
    // `background`: the default brush's colour as a Windows colour value (0x00BBGGRR).
    CtrlColorState(bool transparentStatics, COLORREF background);
    CtrlColorState(const CtrlColorState&) = delete;
    CtrlColorState& operator=(const CtrlColorState&) = delete;

    // The brush for `control` (the dialog registers its own window for its background). The brush
    // becomes this object's and is deleted with it, also when another replaces it.
    void RegisterBrush(HWND control, HBRUSH brush);
    void RegisterTextColor(HWND control, COLORREF color);
    void SetTransparentStatics(bool on) { transparentStatics_ = on; }
    bool TransparentStatics() const { return transparentStatics_; }

    // WM_CTLCOLORDLG and WM_CTLCOLORSTATIC; false for every other message.
    bool ProcessCtrlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The registered brush; else the null brush for a static when statics are transparent; else the
    // default brush.
    HBRUSH BrushFor(HWND control) const;
    HBRUSH DefaultBrush() const { return defaultBrush_.Get(); }

  private:
    base::ScopedGdiObject<HBRUSH> defaultBrush_;
    bool transparentStatics_;
    std::map<HWND, HBRUSH> brushes_;
    std::map<HWND, COLORREF> textColors_;
    std::vector<base::ScopedGdiObject<HBRUSH>> owned_;  // each registered brush once
};

// The mix-in as the dialogs declare it: CCtrlColor<0, 0xF6FBF3>.
template <int kTransparentStatics, std::uint32_t kBackground>
class CCtrlColor : public CtrlColorState {
  public:
    CCtrlColor() : CtrlColorState(kTransparentStatics != 0, static_cast<COLORREF>(kBackground)) {}
};

}  // namespace skin
