#include "skin/button2x_win.h"

#include <string>

namespace skin {
namespace {

constexpr DWORD kHoverTime = 64;
constexpr int kEdge = 3;

}  // namespace

CButton2X::CButton2X() : font_(skin::MakeFont(L"宋体", 12, FW_NORMAL, GB2312_CHARSET)) {}

void CButton2X::OnAttached() {
    // Owner-drawn, so that the system's own painting on clicks and focus changes never covers the
    // face; the button's behaviour is unchanged.
    const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
    originalType_ = style & BS_TYPEMASK;
    if (skinEnabled_) {
        ::SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    }
    Redraw();
}

void CButton2X::SetFace(HBITMAP face) {
    face_ = face;
    Redraw();
}

void CButton2X::SetColors(COLORREF hover, COLORREF pressed, COLORREF normal) {
    hoverColor_ = hover;
    pressedColor_ = pressed;
    normalColor_ = normal;
    Redraw();
}

void CButton2X::SetLatched(bool latched) {
    latched_ = latched;
    Redraw();
}

void CButton2X::EnableSkin(bool enabled) {
    skinEnabled_ = enabled;
    if (Handle() != nullptr) {
        const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
        ::SetWindowLongPtrW(Handle(), GWL_STYLE,
                            (style & ~BS_TYPEMASK) | (enabled ? BS_OWNERDRAW : originalType_));
    }
    Redraw();
}

void CButton2X::Redraw() {
    if (Handle() != nullptr) {
        ::InvalidateRect(Handle(), nullptr, TRUE);
        ::UpdateWindow(Handle());
    }
}

bool CButton2X::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!skinEnabled_) {
        return false;
    }
    switch (message) {
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, Handle(), kHoverTime};
                tracking_ = ::TrackMouseEvent(&track) != FALSE;
            }
            return false;
        case WM_MOUSEHOVER:
            hover_ = true;
            Redraw();
            return false;
        case WM_MOUSELEAVE:
            tracking_ = false;
            hover_ = false;
            pressed_ = false;
            Redraw();
            return false;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            pressed_ = true;
            Redraw();
            return false;
        case WM_LBUTTONUP:
            pressed_ = false;
            Redraw();
            return false;
        case WM_ENABLE:
            Redraw();
            return false;
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            result = 0;
            return true;
        default:
            (void)lParam;
            return HandleSelfPaint(message, result);
    }
}

void CButton2X::Paint(HDC target) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int w = client.right;
    const int h = client.bottom;
    if (w <= 0 || h <= 0) {
        return;
    }
    skin::Bitmap offscreen(::CreateCompatibleBitmap(target, w, h));
    skin::MemoryDc memory(target, offscreen.Get());
    HDC dc = memory.Get();

    int faceIndex = 0;
    COLORREF color = normalColor_;
    if (pressed_ || latched_) {
        faceIndex = 2;
        color = pressedColor_;
    } else if (hover_) {
        faceIndex = 1;
        color = hoverColor_;
    }

    const skin::BitmapSize size = skin::SizeOf(face_);
    const int faceWidth = size.width / 3;
    if (face_ != nullptr && faceWidth > 2 * kEdge) {
        skin::MemoryDc source(target, face_);
        const int faceX = faceIndex * faceWidth;
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, 0, 0, kEdge, h, source.Get(), faceX, 0, kEdge, size.height, SRCCOPY);
        ::StretchBlt(dc, w - kEdge, 0, kEdge, h, source.Get(), faceX + faceWidth - kEdge, 0, kEdge,
                     size.height, SRCCOPY);
        ::StretchBlt(dc, kEdge, 0, w - 2 * kEdge, h, source.Get(), faceX + kEdge, 0, 1, size.height, SRCCOPY);
    } else {
        skin::Brush background(::CreateSolidBrush(::GetBkColor(target)));
        ::FillRect(dc, &client, background.Get());
    }

    const int length = ::GetWindowTextLengthW(Handle());
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(Handle(), text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    RECT box = client;
    if (pressed_) {
        ::OffsetRect(&box, 1, 1);
    }
    ::SetBkMode(dc, TRANSPARENT);
    // A disabled button keeps its face and colour: the skin has no disabled look.
    ::SetTextColor(dc, color);
    HGDIOBJ previous = ::SelectObject(dc, font_.Get());
    ::DrawTextW(dc, text.c_str(), length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_WORD_ELLIPSIS);
    ::SelectObject(dc, previous);

    ::BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

}  // namespace skin
