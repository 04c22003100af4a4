#include "skin/my_link_win.h"

#include <windowsx.h>

namespace skin {
namespace {

HFONT ParentFont(HWND control) {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(::GetParent(control), WM_GETFONT, 0, 0));
    return font != nullptr ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

void CMyLink::OnAttached() {
    const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
    ::SetWindowLongPtrW(Handle(), GWL_STYLE, style | SS_NOTIFY);
    hand_ = ::LoadCursorW(nullptr, IDC_HAND);
    font_ = ParentFont(Handle());
    Measure();
}

void CMyLink::Measure() {
    const int length = ::GetWindowTextLengthW(Handle());
    text_.assign(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(Handle(), text_.data(), length + 1);
    text_.resize(static_cast<std::size_t>(length));
    WindowDc dc(Handle(), false);
    HGDIOBJ previous = ::SelectObject(dc.Get(), font_);
    RECT box{0, 0, 0, 0};
    ::DrawTextW(dc.Get(), text_.c_str(), length, &box, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc.Get(), previous);
    label_ = box;
}

bool CMyLink::InLabel(LPARAM lParam) const {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return ::PtInRect(&label_, at) != FALSE;
}

void CMyLink::SetHover(bool hover) {
    if (hover == hover_) {
        return;
    }
    hover_ = hover;
    if (hover) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&track);
    }
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

bool CMyLink::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SETTEXT:
            result = CallDefault(message, wParam, lParam);
            Measure();
            ::InvalidateRect(Handle(), nullptr, TRUE);
            return true;
        case WM_MOUSEMOVE:
            if (InLabel(lParam)) {
                ::SetCursor(hand_);
                SetHover(true);
            } else {
                SetHover(false);
            }
            result = 0;
            return true;
        case WM_SETCURSOR:
            if (hover_) {
                ::SetCursor(hand_);
                result = TRUE;
                return true;
            }
            return false;
        case WM_MOUSELEAVE:
            SetHover(false);
            result = 0;
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // The static's own click notifications stay out: the release below is the one command.
            result = 0;
            return true;
        case WM_LBUTTONUP:
            if (InLabel(lParam)) {
                ::PostMessageW(::GetParent(Handle()), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(Handle()), 0),
                               reinterpret_cast<LPARAM>(Handle()));
            }
            result = 0;
            return true;
        case WM_RBUTTONUP:
            ::PostMessageW(::GetParent(Handle()), kLinkRightClickMessage, wParam, lParam);
            result = 0;
            return true;
        default:
            return HandleSelfPaint(message, result);
    }
}

void CMyLink::Paint(HDC dc) {
    FillWithParentBrush(dc);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::IsWindowEnabled(Handle()) ? linkColor_ : ::GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ previous = ::SelectObject(dc, font_);
    RECT box = label_;
    ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &box, DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, previous);
}

}  // namespace skin
