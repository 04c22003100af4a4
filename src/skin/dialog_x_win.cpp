#include "skin/dialog_x_win.h"

#include <windowsx.h>

namespace skin {
namespace {

constexpr COLORREF kTitleColor = RGB(234, 251, 211);
constexpr int kTitleX = 14;
constexpr int kTitleY = 10;
constexpr int kCutDepth = 3;

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool IsSizingOrCaption(int hit) { return hit == kHitCaption || (hit >= kHitLeft && hit <= kHitBottomRight); }

// Close, minimise and settings act on a click alone and show the hand.
bool IsClickOnlyButton(int hit) {
    return hit == kHitClose || hit == kHitMinimize || hit == kHitSettings;
}

}  // namespace

DialogFrame::DialogFrame(unsigned optionalStrips) {
    if (!LoadFrameBitmaps(bitmaps_, optionalStrips)) {
        FailMissingSkin();
    }
}

DialogFrame::~DialogFrame() = default;

SIZE DialogFrame::WindowSizeFor(int clientWidth, int clientHeight) {
    return {clientWidth + 2 * kSideFrame, clientHeight + kCaptionHeight + kBottomFrame};
}

void DialogFrame::CutCorners(HWND window) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) {
        return;
    }
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    Region region(::CreateRectRgn(0, 0, w, h));
    // Per corner a staircase of three one-pixel columns, 3, 2 and 1 pixels long from the corner.
    for (int step = 0; step < kCutDepth; ++step) {
        const int length = kCutDepth - step;
        const RECT cuts[4] = {
            {step, 0, step + 1, length},                  // top left
            {w - 1 - step, 0, w - step, length},          // top right
            {step, h - length, step + 1, h},              // bottom left
            {w - 1 - step, h - length, w - step, h},      // bottom right
        };
        for (const RECT& cut : cuts) {
            Region piece(::CreateRectRgnIndirect(&cut));
            ::CombineRgn(region.Get(), region.Get(), piece.Get(), RGN_DIFF);
        }
    }
    if (::SetWindowRgn(window, region.Get(), TRUE) != 0) {
        // The window owns the region from here on.
        static_cast<void>(region.Release());
    }
}

void DialogFrame::OnInitDialog(HWND window) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    hadSystemMenu_ = (style & WS_SYSMENU) != 0;
    hadSizingBorder_ = (style & WS_THICKFRAME) != 0;
    hadMinimizeBox_ = (style & WS_MINIMIZEBOX) != 0;
    hadMaximizeBox_ = (style & WS_MAXIMIZEBOX) != 0;
    ::SetWindowLongPtrW(window, GWL_STYLE, style & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU));

    RECT rect{};
    ::GetWindowRect(window, &rect);
    const BitmapSize close = SizeOf(bitmaps_[kSlotClose].Get());
    const BitmapSize maximize = SizeOf(bitmaps_[kSlotMaximize].Get());
    const BitmapSize minimize = SizeOf(bitmaps_[kSlotMinimize].Get());
    buttons_ = LayoutCaptionButtons(rect.right - rect.left,
                                    {hadSystemMenu_, hadMaximizeBox_, hadMinimizeBox_, !settingsLabel_.empty()},
                                    {close.width, close.height}, {maximize.width, maximize.height},
                                    {minimize.width, minimize.height});
    // Button rectangles are kept relative to the right edge, so that they follow a change of width.
    for (Rect* r : {&buttons_.close, &buttons_.maximize, &buttons_.minimize, &buttons_.settings}) {
        if (!r->IsEmpty()) {
            r->left -= rect.right - rect.left;
            r->right -= rect.right - rect.left;
        }
    }

    handCursor_ = ::LoadCursorW(nullptr, IDC_HAND);
    arrowCursor_ = ::LoadCursorW(nullptr, IDC_ARROW);
    const int titleHeight = -::MulDiv(9, ::GetDeviceCaps(WindowDc(nullptr, false).Get(), LOGPIXELSY), 72);
    titleFont_.Reset(MakeFont(L"宋体", titleHeight, FW_BOLD, GB2312_CHARSET));
    labelFont_.Reset(MakeFont(L"宋体", 12, FW_NORMAL, GB2312_CHARSET));

    // The client area shrinks to the skin's frame.
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CutCorners(window);
}

int DialogFrame::HitTest(HWND window, LPARAM screenPoint) const {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    FrameState frame{width, rect.bottom - rect.top, hadSizingBorder_, maximized_, buttons_};
    for (Rect* r : {&frame.buttons.close, &frame.buttons.maximize, &frame.buttons.minimize, &frame.buttons.settings}) {
        if (!r->IsEmpty()) {
            r->left += width;
            r->right += width;
        }
    }
    return FrameHitTest(frame, GET_X_LPARAM(screenPoint) - rect.left, GET_Y_LPARAM(screenPoint) - rect.top);
}

void DialogFrame::ToggleMaximized(HWND window) {
    if (!maximized_) {
        RECT work{};
        if (!::GetWindowRect(window, &restoreRect_) || !::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
            return;
        }
        maximized_ = true;
        ::MoveWindow(window, work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
    } else {
        maximized_ = false;
        ::MoveWindow(window, restoreRect_.left, restoreRect_.top, restoreRect_.right - restoreRect_.left,
                     restoreRect_.bottom - restoreRect_.top, TRUE);
    }
    CutCorners(window);
    Paint(window);
}

void DialogFrame::OnButtonUp(HWND window, int hit) {
    switch (hit) {
        case kHitClose:
            ::SendMessageW(window, WM_CLOSE, 0, 0);
            break;
        case kHitMinimize:
            ::ShowWindow(window, SW_MINIMIZE);
            break;
        case kHitMaximize:
            ToggleMaximized(window);
            break;
        case kHitSettings:
            if (!settingsLabel_.empty()) {
                ::PostMessageW(window, WM_COMMAND, kSettingsCommand, 0);
            }
            break;
        case kHitCustom:
            ::PostMessageW(window, kCustomHitMessage, 0, 0);
            break;
        default:
            break;
    }
    if (::IsWindow(window)) {
        hoverHit_ = 0;
        pressedHit_ = 0;
        Paint(window);
    }
}

void DialogFrame::TrackLeave(HWND window) {
    if (tracking_) {
        return;
    }
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_NONCLIENT, window, 0};
    tracking_ = ::TrackMouseEvent(&track) != FALSE;
}

bool DialogFrame::ProcessFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(window);
            return false;
        case WM_NCCALCSIZE:
            return OnNcCalcSize(wParam, lParam, result);
        case WM_NCPAINT:
            Paint(window);
            result = 0;
            return true;
        case WM_NCACTIVATE:
            SetActive(window, wParam != FALSE);
            // TRUE lets the activation change go ahead; the system's caption is never drawn.
            result = TRUE;
            return true;
        case WM_ACTIVATE:
            SetActive(window, LOWORD(wParam) != WA_INACTIVE);
            return false;
        case WM_SETTEXT:
            // The system redraws its own caption on a text change: draw ours over it.
            result = ::DefWindowProcW(window, message, wParam, lParam);
            Paint(window);
            return true;
        case WM_COMMAND:
            Paint(window);
            return false;
        case WM_SYSCOMMAND:
            return OnSysCommand(window, wParam, result);
        case WM_NCHITTEST:
            result = HitTest(window, lParam);
            return true;
        case WM_NCMOUSEMOVE:
            return OnNcMouseMove(window, static_cast<int>(wParam), result);
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            // Back in the client area (a caption button pressed and the mouse moved away).
            ClearHover(window);
            return false;
        case WM_NCMOUSELEAVE:
            tracking_ = false;
            ClearHover(window);
            return false;
        case WM_NCLBUTTONDOWN:
            return OnNcButtonDown(window, static_cast<int>(wParam), result);
        case WM_NCLBUTTONUP:
            OnButtonUp(window, static_cast<int>(wParam));
            result = 0;
            return true;
        case WM_NCLBUTTONDBLCLK:
            OnNcDoubleClick(window, static_cast<int>(wParam));
            result = 0;
            return true;
        default:
            return false;
    }
}

bool DialogFrame::OnNcCalcSize(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (wParam == FALSE) {
        return false;
    }
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    params->rgrc[0] = ToRECT(FrameClientRect(ToRect(params->rgrc[0])));
    result = 0;
    return true;
}

void DialogFrame::SetActive(HWND window, bool active) {
    active_ = active;
    Paint(window);
}

bool DialogFrame::OnSysCommand(HWND window, WPARAM command, LRESULT& result) {
    const WPARAM kind = command & 0xFFF0;
    const bool maximize = kind == SC_MAXIMIZE && hadMaximizeBox_ && !maximized_;
    const bool restore = kind == SC_RESTORE && maximized_ && !::IsIconic(window);
    if (!maximize && !restore) {
        return false;
    }
    ToggleMaximized(window);
    result = 0;
    return true;
}

bool DialogFrame::OnNcMouseMove(HWND window, int hit, LRESULT& result) {
    const bool changed = hit != hoverHit_;
    hoverHit_ = hit;
    pressedHit_ = 0;
    TrackLeave(window);
    if (changed) {
        Paint(window);
    }
    ::SetCursor(IsClickOnlyButton(hit) ? handCursor_ : arrowCursor_);
    if (IsSizingOrCaption(hit)) {
        return false;
    }
    result = 0;
    return true;
}

void DialogFrame::ClearHover(HWND window) {
    if (hoverHit_ != 0 || pressedHit_ != 0) {
        hoverHit_ = 0;
        pressedHit_ = 0;
        Paint(window);
    }
}

bool DialogFrame::OnNcButtonDown(HWND window, int hit, LRESULT& result) {
    hoverHit_ = hit;
    pressedHit_ = hit;
    Paint(window);
    if (IsSizingOrCaption(hit)) {
        return false;
    }
    if (hit == kHitSysMenu) {
        ShowSystemMenu(window);
    }
    result = 0;
    return true;
}

void DialogFrame::ShowSystemMenu(HWND window) {
    POINT at{};
    ::GetCursorPos(&at);
    const UINT command = ::TrackPopupMenu(::GetSystemMenu(window, FALSE), TPM_RETURNCMD | TPM_LEFTBUTTON,
                                          at.x, at.y, 0, window, nullptr);
    if (command != 0) {
        ::PostMessageW(window, WM_SYSCOMMAND, command, 0);
    }
}

void DialogFrame::OnNcDoubleClick(HWND window, int hit) {
    // On a caption button the double click is two clicks: the maximise button has toggled already.
    if (hadMaximizeBox_ && !IsClickOnlyButton(hit) && hit != kHitMaximize) {
        ToggleMaximized(window);
    }
}

void DialogFrame::Paint(HWND window) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) {
        return;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    WindowDc dc(window, true);
    if (dc.Get() == nullptr) {
        return;
    }
    TileVertically(dc.Get(), bitmaps_[kSlotLeft].Get(), 0, 0, height);
    const BitmapSize right = SizeOf(bitmaps_[kSlotRight].Get());
    TileVertically(dc.Get(), bitmaps_[kSlotRight].Get(), width - right.width, 0, height);
    const BitmapSize bottomLeft = SizeOf(bitmaps_[kSlotBottomLeft].Get());
    const BitmapSize bottomRight = SizeOf(bitmaps_[kSlotBottomRight].Get());
    const int bottomY = height - bottomLeft.height;
    DrawBitmap(dc.Get(), bitmaps_[kSlotBottomLeft].Get(), 0, bottomY);
    TileHorizontally(dc.Get(), bitmaps_[kSlotBottom].Get(), bottomLeft.width, width - bottomRight.width, bottomY);
    DrawBitmap(dc.Get(), bitmaps_[kSlotBottomRight].Get(), width - bottomRight.width, bottomY);

    Bitmap offscreen(::CreateCompatibleBitmap(dc.Get(), width, kCaptionHeight));
    if (!offscreen) {
        return;
    }
    MemoryDc memory(dc.Get(), offscreen.Get());
    PaintCaption(memory.Get(), width);
    ::BitBlt(dc.Get(), 0, 0, width, kCaptionHeight, memory.Get(), 0, 0, SRCCOPY);
}

void DialogFrame::PaintCaption(HDC target, int width) {
    const BitmapSize left = SizeOf(bitmaps_[kSlotCaptionLeft].Get());
    const BitmapSize right = SizeOf(bitmaps_[kSlotCaptionRight].Get());
    DrawBitmap(target, bitmaps_[kSlotCaptionLeft].Get(), 0, 0);
    TileHorizontally(target, bitmaps_[kSlotCaptionMiddle].Get(), left.width, width - right.width, 0);
    DrawBitmap(target, bitmaps_[kSlotCaptionRight].Get(), width - right.width, 0);

    ::SetBkMode(target, TRANSPARENT);
    if (!title_.empty()) {
        const std::wstring title = NarrowToWide(title_);
        HGDIOBJ previous = ::SelectObject(target, titleFont_.Get());
        ::SetTextColor(target, kTitleColor);
        ::TextOutW(target, kTitleX, kTitleY, title.c_str(), static_cast<int>(title.size()));
        ::SelectObject(target, previous);
    }

    auto place = [width](const Rect& r) { return RECT{r.left + width, r.top, r.right + width, r.bottom}; };
    if (!settingsLabel_.empty() && !buttons_.settings.IsEmpty()) {
        const std::wstring label = NarrowToWide(settingsLabel_);
        RECT box = place(buttons_.settings);
        HGDIOBJ previous = ::SelectObject(target, labelFont_.Get());
        ::SetTextColor(target, hoverHit_ == kHitSettings ? RGB(255, 255, 255) : kTitleColor);
        ::DrawTextW(target, label.c_str(), static_cast<int>(label.size()), &box,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
        ::SelectObject(target, previous);
    }

    // Close: two images (normal, hover). Maximise, restore, minimise: normal, hover, pressed.
    if (!buttons_.close.IsEmpty()) {
        const RECT box = place(buttons_.close);
        const int w = box.right - box.left;
        DrawBitmapPart(target, bitmaps_[kSlotClose].Get(), box.left, box.top, w, box.bottom - box.top,
                       hoverHit_ == kHitClose ? w : 0, 0);
    }
    auto stateImage = [this](int hit) { return pressedHit_ == hit ? 2 : (hoverHit_ == hit ? 1 : 0); };
    if (!buttons_.maximize.IsEmpty()) {
        const RECT box = place(buttons_.maximize);
        const int w = box.right - box.left;
        DrawBitmapPart(target, bitmaps_[maximized_ ? kSlotRestore : kSlotMaximize].Get(), box.left, box.top, w,
                       box.bottom - box.top, stateImage(kHitMaximize) * w, 0);
    }
    if (!buttons_.minimize.IsEmpty()) {
        const RECT box = place(buttons_.minimize);
        const int w = box.right - box.left;
        DrawBitmapPart(target, bitmaps_[kSlotMinimize].Get(), box.left, box.top, w, box.bottom - box.top,
                       stateImage(kHitMinimize) * w, 0);
    }
}

void DialogFrame::DrawButtonBand(HDC dc, HWND window, int startX, int endX, int offset) {
    Bitmap band(LoadSkinBitmap(L"IDB_BITMAP_BTN_BKGND_SW"));
    if (!band) {
        return;
    }
    RECT client{};
    ::GetClientRect(window, &client);
    const BitmapSize size = SizeOf(band.Get());
    TileHorizontally(dc, band.Get(), startX, endX, client.bottom - size.height - offset);
}

}  // namespace skin
