// The desktop window side against real windows: the search for an open pop-up by its window property,
// and the full-screen test (the GUI test sees only its positive case, through the floating window).

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

#include "base/wide_win.h"
#include "base/window_tags.h"
#include "ui/alarm_popup_win.h"

namespace {

using Window = std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)>;

Window TopLevel(RECT r) {
    return {CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"kvt alarm test", WS_POPUP, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr),
            &DestroyWindow};
}

TEST(DesktopPopupWindow, AnOpenPopupIsFoundByItsPropertyWhoseValueIsTheWindowItself) {
    alarming::IAlarmPopupWindow& window = ui::DesktopAlarmPopupWindow();
    const std::wstring tag = base::Wide(std::u16string(base::kAccStateWindowTag));
    const Window popup = TopLevel({10, 10, 10 + alarming::kPopupWidth, 10 + alarming::kPopupHeight});
    ASSERT_NE(popup.get(), nullptr);
    EXPECT_FALSE(window.RaiseExistingPopup()) << "an untagged window is not the pop-up";
    ASSERT_TRUE(SetPropW(popup.get(), tag.c_str(), reinterpret_cast<HANDLE>(1)));
    EXPECT_FALSE(window.RaiseExistingPopup()) << "the tag's value must be the window itself";
    ASSERT_TRUE(SetPropW(popup.get(), tag.c_str(), popup.get()));
    EXPECT_TRUE(window.RaiseExistingPopup());
    RemovePropW(popup.get(), tag.c_str());
}

TEST(DesktopPopupWindow, AForegroundWindowOnePixelShortOfItsMonitorIsNotFullScreen) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    const RECT& m = info.rcMonitor;
    const Window game = TopLevel(m);
    ASSERT_NE(game.get(), nullptr);
    ShowWindow(game.get(), SW_SHOW);
    SetForegroundWindow(game.get());
    if (GetForegroundWindow() != game.get()) {
        GTEST_SKIP() << "this desktop does not let the test take the foreground";
    }
    EXPECT_TRUE(ui::DesktopAlarmPopupWindow().IsFullScreenForeground());
    MoveWindow(game.get(), m.left, m.top, m.right - m.left - 1, m.bottom - m.top, FALSE);
    EXPECT_FALSE(ui::DesktopAlarmPopupWindow().IsFullScreenForeground());
}

}  // namespace
