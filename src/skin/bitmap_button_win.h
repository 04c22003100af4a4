#pragma once

// An image-only button: the images of one strip bitmap in an image list (mask colour pure blue), with
// indices for the normal, pressed, hover and disabled states. The parent's background shows through
// the masked parts.

#include <windows.h>

#include <commctrl.h>

#include "base/scoped_handle_win.h"
#include "skin/subclass_win.h"

namespace skin {

class CBitmapButton : public SubclassedWindow {
  public:
    // Extended style: show the hover image while the mouse is over the button.
    static constexpr DWORD kExtendedHover = 1;
    static constexpr COLORREF kMaskColor = RGB(0, 0, 255);

    CBitmapButton() = default;
    ~CBitmapButton() override;

    // An image list of the program's bitmap `bitmapId` cut into images `imageWidth` wide; empty when the
    // bitmap is missing.
    static base::ScopedImageList LoadStrip(int bitmapId, int imageWidth);

    // A list the button owns: destroyed with the button or when replaced.
    void SetImageList(base::ScopedImageList list);
    // A list someone else owns, for as long as the button shows it.
    void SetImageList(HIMAGELIST list);
    HIMAGELIST ImageList() const { return images_; }
    // -1: the normal image stands in.
    void SetImages(int normal, int pressed = -1, int hover = -1, int disabled = -1);
    void SetExtendedStyle(DWORD style) { extendedStyle_ = style; }

    bool IsHovered() const { return hover_; }

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnAttached() override;

  private:
    void Paint(HDC dc) override;
    void Redraw();
    int CurrentImage() const;

    HIMAGELIST images_ = nullptr;  // shown; either ownedImages_ or a list of someone else
    base::ScopedImageList ownedImages_;
    int normal_ = 0;
    int pressed_ = -1;
    int hoverImage_ = -1;
    int disabled_ = -1;
    DWORD extendedStyle_ = 0;
    bool hover_ = false;
    bool down_ = false;
    bool tracking_ = false;
};

}  // namespace skin
