// The skinned frame on a real dialog: the client area inside the frame, the hit codes the window
// answers, the cut corners, maximise and restore, and the caption buttons that follow the style.

#include <windows.h>

#include <gtest/gtest.h>

#include "base/scoped_handle_win.h"
#include "res/resource_ids.h"
#include "skin/dialog_x_win.h"

namespace {

// The about box's template, with the caption buttons the test asks for.
class FramedDialog : public skin::SkinnedDialog<skin::CDialogX<3>, skin::CCtrlColor<0, 0xF6FBF3>> {
  public:
    FramedDialog(LONG_PTR addStyle, LONG_PTR removeStyle, const char* settings)
        : SkinnedDialog(IDD_ABOUTBOX), add_(addStyle), remove_(removeStyle) {
        SetSettingsLabel(settings);
    }

  protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_INITDIALOG) {
            const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
            SetWindowLongPtrW(Handle(), GWL_STYLE, (style | add_) & ~remove_);
            SetWindowPos(Handle(), nullptr, 100, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return false;
    }

  private:
    LONG_PTR add_;
    LONG_PTR remove_;
};

// Lets posted messages (the dialog's WM_CLOSE turns into a posted IDCANCEL) arrive.
void PumpMessages() {
    const DWORD end = GetTickCount() + 200;
    MSG message;
    while (GetTickCount() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

LRESULT HitAt(HWND window, int x, int y) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(rect.left + x, rect.top + y));
}

TEST(DialogFrame, TheClientAreaIsTheWindowLessTheSkinFrame) {
    FramedDialog dialog(0, 0, "");
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    EXPECT_EQ(outer.right - outer.left - client.right, 2 * skin::kSideFrame);
    EXPECT_EQ(outer.bottom - outer.top - client.bottom, skin::kCaptionHeight + skin::kBottomFrame);
    const SIZE size = skin::DialogFrame::WindowSizeFor(client.right, client.bottom);
    EXPECT_EQ(size.cx, outer.right - outer.left);
    EXPECT_EQ(size.cy, outer.bottom - outer.top);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0)
        << "the skin draws its own caption buttons";
    DestroyWindow(window);
}

TEST(DialogFrame, TheWindowAnswersTheFrameHitCodes) {
    FramedDialog dialog(WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, 0, "set");
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    const int w = 300;
    struct Case {
        int x, y;
        LRESULT hit;
    } cases[] = {
        {w - 6 - 10, 7 + 9, skin::kHitClose},
        {w - 6 - 19 - 4 - 10, 16, skin::kHitMaximize},
        {w - 6 - 19 - 4 - 19 - 4 - 10, 16, skin::kHitMinimize},
        {100, 15, skin::kHitCaption},
        {1, 1, skin::kHitTopLeft},
        {w - 1, 100, skin::kHitRight},
        {150, 199, skin::kHitBottom},
        {150, 100, skin::kHitClient},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitAt(window, c.x, c.y), c.hit) << "at " << c.x << "," << c.y;
    }
    // The settings button sits left of the minimise button, from y = 13.
    const skin::CaptionButtons& b = dialog.Buttons();
    EXPECT_FALSE(b.settings.IsEmpty());
    EXPECT_EQ(b.settings.top, 13);
    EXPECT_EQ(HitAt(window, w + (b.settings.left + b.settings.right) / 2, 16), skin::kHitSettings);
    DestroyWindow(window);
}

TEST(DialogFrame, MaximisedTheCaptionAndEdgesAreClientAndRestoreGoesBack) {
    FramedDialog dialog(WS_MAXIMIZEBOX | WS_THICKFRAME, 0, "");
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    RECT before{};
    GetWindowRect(window, &before);
    SendMessageW(window, WM_NCLBUTTONUP, skin::kHitMaximize, 0);
    EXPECT_TRUE(dialog.IsMaximized());
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT now{};
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &work));
    EXPECT_EQ(HitAt(window, 100, 15), skin::kHitClient) << "a maximised window cannot be moved";
    EXPECT_EQ(HitAt(window, 1, 100), skin::kHitClient) << "nor resized";

    SendMessageW(window, WM_NCLBUTTONDBLCLK, skin::kHitClient, 0);
    EXPECT_FALSE(dialog.IsMaximized());
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &before));
    DestroyWindow(window);
}

TEST(DialogFrame, WithoutSystemMenuAndBoxesTheSettingsButtonSitsAtTheRightEdge) {
    FramedDialog dialog(0, WS_SYSMENU, "set");
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    const skin::CaptionButtons& b = dialog.Buttons();
    EXPECT_TRUE(b.close.IsEmpty());
    EXPECT_TRUE(b.maximize.IsEmpty());
    EXPECT_TRUE(b.minimize.IsEmpty());
    // Kept relative to the right edge: 6 + 2 pixels from it.
    EXPECT_EQ(b.settings.right, -8);
    DestroyWindow(window);
}

TEST(DialogFrame, TheCornersAreCutInThreeSteps) {
    FramedDialog dialog(0, 0, "");
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    const base::ScopedGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(window, region.Get()), ERROR);
    const int w = 300, h = 200;
    struct Case {
        int x, y;
        bool inside;
    } cases[] = {
        {0, 0, false}, {0, 2, false}, {0, 3, true},  {1, 1, false},     {1, 2, true},     {2, 0, false},
        {2, 1, true},  {3, 0, true},  {w - 1, 0, false}, {w - 3, 0, false}, {w - 4, 0, true}, {w - 1, h - 3, false},
        {w - 1, h - 4, true}, {0, h - 1, false}, {150, 100, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PtInRegion(region.Get(), c.x, c.y) != FALSE, c.inside) << "at " << c.x << "," << c.y;
    }
    DestroyWindow(window);
}

TEST(DialogFrame, PressingCloseAndReleasingElsewhereDoesNotClose) {
    FramedDialog dialog(0, 0, "");
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_NCLBUTTONDOWN, skin::kHitClose, 0);
    EXPECT_EQ(dialog.PressedHit(), skin::kHitClose);
    SendMessageW(window, WM_NCLBUTTONUP, skin::kHitCaption, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(dialog.PressedHit(), 0);
    SendMessageW(window, WM_NCLBUTTONUP, skin::kHitClose, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(window)) << "the close button's release closes the dialog";
}

}  // namespace
