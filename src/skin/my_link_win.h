#pragma once

// A static shown as a hyperlink: its text in the link colour, the hand cursor over the text, a click
// on the text reported to the parent as WM_COMMAND (the control's id, notification 0), a right-button
// release as message 0x1F58 with the mouse parameters.

#include <windows.h>

#include <string>

#include "skin/gdi_win.h"
#include "skin/subclass_win.h"

namespace skin {

inline constexpr UINT kLinkRightClickMessage = 0x1F58;

class CMyLink : public SubclassedWindow {
  public:
    static constexpr COLORREF kLinkColor = RGB(0, 0, 255);

    void SetColors(COLORREF link, COLORREF visited) {
        linkColor_ = link;
        visitedColor_ = visited;
    }
    // The text's extent, client coordinates.
    const RECT& LabelRect() const { return label_; }
    bool IsHovered() const { return hover_; }

  protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnAttached() override;

  private:
    void Measure();
    bool InLabel(LPARAM lParam) const;
    void SetHover(bool hover);
    void Paint(HDC dc) override;

    std::wstring text_;
    RECT label_{};
    bool hover_ = false;
    COLORREF linkColor_ = kLinkColor;
    COLORREF visitedColor_ = kLinkColor;
    HCURSOR hand_ = nullptr;
    // The parent's, which the parent keeps.
    HFONT font_ = nullptr;
};

}  // namespace skin
