// The desktop window side against real windows: the full-screen test and the search for an open pop-up
// by its window property.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/wide_win.h"
#include "base/window_tags.h"
#include "ui/alarm_popup_win.h"

namespace {

// A bare top-level window of our own, destroyed with the object.
class TopLevelWindow {
  public:
    TopLevelWindow(int x, int y, int w, int h)
        : window_(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"kvt alarm test", WS_POPUP, x, y, w, h,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~TopLevelWindow() {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    HWND get() const { return window_; }

  private:
    HWND window_;
};

TEST(DesktopPopupWindow, AnOpenPopupIsFoundByItsPropertyAndRaised) {
    alarming::IAlarmPopupWindow& window = ui::DesktopAlarmPopupWindow();
    const std::u16string tag(base::kAccStateWindowTag);
    EXPECT_FALSE(window.RaiseExistingPopup());

    TopLevelWindow popup(10, 10, alarming::kPopupWidth, alarming::kPopupHeight);
    ASSERT_NE(popup.get(), nullptr);
    EXPECT_FALSE(window.RaiseExistingPopup()) << "an untagged window is not the pop-up";
    ASSERT_TRUE(SetPropW(popup.get(), base::Wide(tag), reinterpret_cast<HANDLE>(1)));
    EXPECT_FALSE(window.RaiseExistingPopup()) << "the tag's value must be the window itself";
    ASSERT_TRUE(SetPropW(popup.get(), base::Wide(tag), popup.get()));
    EXPECT_TRUE(window.RaiseExistingPopup());
    RemovePropW(popup.get(), base::Wide(tag));
    EXPECT_FALSE(window.RaiseExistingPopup());
}

TEST(DesktopPopupWindow, OnlyAForegroundWindowCoveringItsMonitorIsFullScreen) {
    alarming::IAlarmPopupWindow& window = ui::DesktopAlarmPopupWindow();
    const POINT origin{0, 0};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info));
    const RECT& m = info.rcMonitor;

    TopLevelWindow game(m.left, m.top, m.right - m.left, m.bottom - m.top);
    ASSERT_NE(game.get(), nullptr);
    ShowWindow(game.get(), SW_SHOW);
    SetForegroundWindow(game.get());
    if (GetForegroundWindow() != game.get()) {
        GTEST_SKIP() << "this desktop does not let the test take the foreground";
    }
    EXPECT_TRUE(window.IsFullScreenForeground());

    MoveWindow(game.get(), m.left, m.top, m.right - m.left - 1, m.bottom - m.top, FALSE);
    EXPECT_FALSE(window.IsFullScreenForeground()) << "one pixel short of the monitor";
}

}  // namespace
