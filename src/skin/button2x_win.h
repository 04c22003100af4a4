#pragma once

// A text push button drawn from a face bitmap of three states side by side (normal, hover, pressed),
// its edges kept and its middle stretched; the caption centred in "宋体" 12. The button stays a
// button: clicks, keyboard and notifications are the system's.

#include <windows.h>

#include "skin/gdi_win.h"
#include "skin/subclass_win.h"

namespace skin {

class CButton2X : public skin::SubclassedWindow {
  public:
    static constexpr COLORREF kTextColor = RGB(0, 86, 31);

    CButton2X();

    // The face is not owned: the dialog that loaded it keeps it alive while the button lives. Null
    // paints a flat face.
    void SetFace(HBITMAP face);
    void SetColors(COLORREF hover, COLORREF pressed, COLORREF normal);
    // Shows the pressed face without a click.
    void SetLatched(bool latched);
    // Off: the system draws the button again.
    void EnableSkin(bool enabled);

    bool IsHovered() const { return hover_; }
    bool IsPressed() const { return pressed_; }

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnAttached() override;

  private:
    void Redraw();
    void Paint(HDC dc) override;

    bool tracking_ = false;
    bool hover_ = false;
    bool pressed_ = false;
    bool latched_ = false;
    bool skinEnabled_ = true;
    LONG_PTR originalType_ = BS_PUSHBUTTON;
    HBITMAP face_ = nullptr;  // non-owning: the dialog keeps the bitmap
    skin::Font font_;
    COLORREF hoverColor_ = kTextColor;
    COLORREF pressedColor_ = kTextColor;
    COLORREF normalColor_ = kTextColor;
};

}  // namespace skin
