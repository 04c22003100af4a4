// The skinned frame on a real dialog: the client area inside the frame, the hit codes the window
// answers, the cut corners and the maximised frame.

#include <windows.h>

#include <gtest/gtest.h>

#include "base/scoped_handle_win.h"
#include "res/resource_ids.h"
#include "skin/dialog_x_win.h"

namespace {

// The about box's template at 300 x 200, with every caption button and a settings label.
class FramedDialog : public skin::SkinnedDialog<skin::CDialogX<3>, skin::CCtrlColor<0, 0xF6FBF3>> {
  public:
    FramedDialog() : SkinnedDialog(IDD_ABOUTBOX) { SetSettingsLabel("set"); }

  protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_INITDIALOG) {
            const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
            SetWindowLongPtrW(Handle(), GWL_STYLE, style | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME);
            SetWindowPos(Handle(), nullptr, 100, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return false;
    }
};

LRESULT HitAt(HWND window, int x, int y) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(rect.left + x, rect.top + y));
}

TEST(DialogFrame, ClientAreaHitCodesCutCornersAndTheMaximisedFrame) {
    FramedDialog dialog;
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 300 - 2 * skin::kSideFrame);
    EXPECT_EQ(client.bottom, 200 - skin::kCaptionHeight - skin::kBottomFrame);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0)
        << "the skin draws its own caption buttons";

    // Screen points reach the portable hit test relative to the window, the settings button relative to
    // its right edge, the corner as a sizing one. (The GUI test clicks the close button.)
    const skin::CaptionButtons& b = dialog.Buttons();
    const struct {
        int x, y;
        LRESULT hit;
    } hits[] = {
        {300 + (b.settings.left + b.settings.right) / 2, 16, skin::kHitSettings},
        {1, 1, skin::kHitTopLeft},
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
        {0, 2, false}, {0, 3, true},    {1, 1, false},     {1, 2, true},    {2, 0, false},
        {3, 0, true},  {297, 0, false}, {299, 197, false}, {0, 199, false}, {150, 100, true},
    };
    for (const auto& c : points) {
        EXPECT_EQ(PtInRegion(region.Get(), c.x, c.y) != FALSE, c.inside) << "at " << c.x << "," << c.y;
    }

    // Maximised to the work area, the caption and edges are client: nothing moves or sizes it.
    SendMessageW(window, WM_NCLBUTTONUP, skin::kHitMaximize, 0);
    RECT work{};
    RECT now{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &work));
    EXPECT_EQ(HitAt(window, 100, 15), skin::kHitClient);
    EXPECT_EQ(HitAt(window, 1, 100), skin::kHitClient);
    SendMessageW(window, WM_NCLBUTTONDBLCLK, skin::kHitClient, 0);
    EXPECT_FALSE(dialog.IsMaximized());
    DestroyWindow(window);
}

}  // namespace
