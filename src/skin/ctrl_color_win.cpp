#include "skin/ctrl_color_win.h"

#include <algorithm>

namespace skin {

CtrlColorState::CtrlColorState(bool transparentStatics, COLORREF background)
    : defaultBrush_(::CreateSolidBrush(background)), transparentStatics_(transparentStatics) {}

void CtrlColorState::RegisterBrush(HWND control, HBRUSH brush) {
    brushes_[control] = brush;
    // Stock objects (the null brush) are kept in the list too: deleting one does nothing.
    if (brush != nullptr &&
        std::none_of(owned_.begin(), owned_.end(), [&](const auto& b) { return b.Get() == brush; })) {
        owned_.emplace_back(brush);
    }
}

void CtrlColorState::RegisterTextColor(HWND control, COLORREF color) { textColors_[control] = color; }

HBRUSH CtrlColorState::BrushFor(HWND control) const {
    if (auto found = brushes_.find(control); found != brushes_.end() && found->second != nullptr) {
        return found->second;
    }
    if (transparentStatics_ && control != nullptr) {
        wchar_t className[8] = {};
        if (::GetClassNameW(control, className, 8) > 0 && ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE,
                                                                            className, -1, L"static", -1) == CSTR_EQUAL) {
            return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
        }
    }
    return defaultBrush_.Get();
}

bool CtrlColorState::ProcessCtrlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND control = reinterpret_cast<HWND>(lParam);
    switch (message) {
        case WM_CTLCOLORDLG:
            result = reinterpret_cast<LRESULT>(BrushFor(control));
            return true;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetBkMode(dc, TRANSPARENT);
            auto color = textColors_.find(control);
            ::SetTextColor(dc, color != textColors_.end() ? color->second : RGB(0, 0, 0));
            result = reinterpret_cast<LRESULT>(BrushFor(control));
            return true;
        }
        default:
            return false;
    }
}

}  // namespace skin
