// The skinned frame on a real dialog: the client area inside the frame, the hit codes the window
// answers, the cut corners, the maximised frame, and the caption buttons that follow the style. (The
// GUI test clicks them.)

#include <windows.h>

#include <gtest/gtest.h>

#include "base/scoped_handle_win.h"
#include "res/resource_ids.h"
#include "skin/dialog_x_win.h"

namespace {

// The about box's template at 300 x 200, with the caption buttons the test asks for.
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

LRESULT HitAt(HWND window, int x, int y) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(rect.left + x, rect.top + y));
}

TEST(DialogFrame, AWindowWithEveryButton) {
    FramedDialog dialog(WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, 0, "set");
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    RECT before{};
    RECT client{};
    GetWindowRect(window, &before);
    GetClientRect(window, &client);
    const SIZE size = skin::DialogFrame::WindowSizeFor(client.right, client.bottom);
    EXPECT_EQ(size.cx, before.right - before.left);
    EXPECT_EQ(size.cy, before.bottom - before.top);
    EXPECT_EQ(client.right, 300 - 2 * skin::kSideFrame);
    EXPECT_EQ(client.bottom, 200 - skin::kCaptionHeight - skin::kBottomFrame);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0)
        << "the skin draws its own caption buttons";

    const skin::CaptionButtons& b = dialog.Buttons();
    const struct {
        int x, y;
        LRESULT hit;
    } hits[] = {
        {300 - 16, 16, skin::kHitClose},
        {300 - 39, 16, skin::kHitMaximize},
        {300 - 62, 16, skin::kHitMinimize},
        {300 + (b.settings.left + b.settings.right) / 2, 16, skin::kHitSettings},
        {100, 15, skin::kHitCaption},
        {1, 1, skin::kHitTopLeft},
        {299, 100, skin::kHitRight},
        {150, 199, skin::kHitBottom},
        {150, 100, skin::kHitClient},
    };
    for (const auto& c : hits) {
        EXPECT_EQ(HitAt(window, c.x, c.y), c.hit) << "at " << c.x << "," << c.y;
    }

    // The corners are cut in three steps.
    const base::ScopedGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(window, region.Get()), ERROR);
    const struct {
        int x, y;
        bool inside;
    } points[] = {
        {0, 2, false},    {0, 3, true},    {1, 1, false},    {1, 2, true},   {2, 0, false},
        {2, 1, true},     {3, 0, true},    {297, 0, false},  {296, 0, true}, {299, 197, false},
        {299, 196, true}, {0, 199, false}, {150, 100, true},
    };
    for (const auto& c : points) {
        EXPECT_EQ(PtInRegion(region.Get(), c.x, c.y) != FALSE, c.inside) << "at " << c.x << "," << c.y;
    }

    // Maximised to the work area, the caption and edges are client: nothing moves or sizes it.
    SendMessageW(window, WM_NCLBUTTONUP, skin::kHitMaximize, 0);
    EXPECT_TRUE(dialog.IsMaximized());
    RECT work{};
    RECT now{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &work));
    EXPECT_EQ(HitAt(window, 100, 15), skin::kHitClient);
    EXPECT_EQ(HitAt(window, 1, 100), skin::kHitClient);
    SendMessageW(window, WM_NCLBUTTONDBLCLK, skin::kHitClient, 0);
    EXPECT_FALSE(dialog.IsMaximized());
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &before));

    DestroyWindow(window);
}

TEST(DialogFrame, WithoutSystemMenuTheSettingsButtonSitsAtTheRightEdge) {
    FramedDialog dialog(0, WS_SYSMENU, "set");
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    const skin::CaptionButtons& b = dialog.Buttons();
    EXPECT_TRUE(b.close.IsEmpty());
    EXPECT_TRUE(b.maximize.IsEmpty());
    EXPECT_TRUE(b.minimize.IsEmpty());
    EXPECT_EQ(b.settings.right, -8) << "kept relative to the right edge";
    DestroyWindow(window);
}

}  // namespace
