#include "skin/bitmap_button_win.h"

#include "skin/gdi_win.h"

namespace skin {

CBitmapButton::~CBitmapButton() {
    Detach();
}

base::ScopedImageList CBitmapButton::LoadStrip(int bitmapId, int imageWidth) {
    Bitmap strip(LoadProgramBitmap(bitmapId));
    const BitmapSize size = SizeOf(strip.Get());
    if (!strip || imageWidth <= 0 || size.width < imageWidth) {
        return {};
    }
    base::ScopedImageList list(
        ::ImageList_Create(imageWidth, size.height, ILC_COLOR24 | ILC_MASK, size.width / imageWidth, 0));
    if (!list || ::ImageList_AddMasked(list.Get(), strip.Get(), kMaskColor) < 0) {
        return {};
    }
    return list;
}

void CBitmapButton::OnAttached() {
    const LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
    ::SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    Redraw();
}

void CBitmapButton::SetImageList(base::ScopedImageList list) {
    images_ = list.Get();
    ownedImages_ = std::move(list);
    Redraw();
}

void CBitmapButton::SetImageList(HIMAGELIST list) {
    if (list != ownedImages_.Get()) {
        ownedImages_.Reset();
    }
    images_ = list;
    Redraw();
}

void CBitmapButton::SetImages(int normal, int pressed, int hover, int disabled) {
    normal_ = normal;
    pressed_ = pressed;
    hoverImage_ = hover;
    disabled_ = disabled;
    Redraw();
}

void CBitmapButton::Redraw() {
    if (Handle() != nullptr) {
        ::InvalidateRect(Handle(), nullptr, FALSE);
    }
}

int CBitmapButton::CurrentImage() const {
    if (!::IsWindowEnabled(Handle()) && disabled_ >= 0) {
        return disabled_;
    }
    if (down_ && pressed_ >= 0) {
        return pressed_;
    }
    if (hover_ && (extendedStyle_ & kExtendedHover) != 0 && hoverImage_ >= 0) {
        return hoverImage_;
    }
    return normal_;
}

bool CBitmapButton::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
                tracking_ = ::TrackMouseEvent(&track) != FALSE;
                hover_ = true;
                Redraw();
            }
            return false;
        case WM_MOUSELEAVE:
            tracking_ = false;
            hover_ = false;
            down_ = false;
            Redraw();
            return false;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            down_ = true;
            Redraw();
            return false;
        case WM_LBUTTONUP:
            down_ = false;
            Redraw();
            return false;
        case WM_ENABLE:
            Redraw();
            return false;
        default:
            return HandleSelfPaint(message, result);
    }
}

void CBitmapButton::Paint(HDC target) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (client.right <= 0 || client.bottom <= 0) {
        return;
    }
    Bitmap offscreen(::CreateCompatibleBitmap(target, client.right, client.bottom));
    MemoryDc memory(target, offscreen.Get());
    HDC dc = memory.Get();

    // The parent's background under the button, in the parent's coordinates.
    HWND parent = ::GetParent(Handle());
    POINT origin{0, 0};
    ::MapWindowPoints(Handle(), parent, &origin, 1);
    ::SetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    ::SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    if (parent == nullptr || ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0) {
        ::SetViewportOrgEx(dc, 0, 0, nullptr);
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    ::SetViewportOrgEx(dc, 0, 0, nullptr);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);

    if (images_ != nullptr) {
        ::ImageList_Draw(images_, CurrentImage(), dc, 0, 0, ILD_TRANSPARENT);
    }
    ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

}  // namespace skin
