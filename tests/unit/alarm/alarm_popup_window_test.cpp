// The window side the alarm calls: the headless default (nothing on screen, each pop-up a single line
// on standard error) until the ui registers its own.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarm/alarm_popup_window.h"
#include "alarm_records.h"
#include "fake_popup_window.h"

namespace {

TEST(HeadlessPopupWindow, NoDesktopNoOpenPopupAndOneLinePerAlarm) {
    alarming::IAlarmPopupWindow& window = alarming::HeadlessAlarmPopupWindow();
    EXPECT_FALSE(window.IsFullScreenForeground());
    EXPECT_FALSE(window.RaiseExistingPopup());

    const std::vector<engine::SpeedAlarmRecord> output{alarm_test::Record(1234, u"iperf3", 0),
                                                       alarm_test::Record(99, u"curl", 0)};
    ::testing::internal::CaptureStderr();
    window.ShowAccelerationStatePopup(alarming::PopupRectangle(0, 0), output);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, alarming::FormatAlarmLine(output));
}

TEST(RegisteredPopupWindow, CallsGoToTheRegisteredWindowSideAndBackToTheDefaultWithoutOne) {
    alarming::IAlarmPopupWindow& window = alarming::AlarmPopupWindow();
    alarm_test::FakePopupWindow fake;
    fake.fullScreen = true;
    fake.popupOpen = true;
    alarming::RegisterAlarmPopupWindow(&fake);
    EXPECT_TRUE(window.IsFullScreenForeground());
    EXPECT_TRUE(window.RaiseExistingPopup());
    window.HideFloatingWindow();
    EXPECT_EQ(fake.Hides(), 1);

    alarming::RegisterAlarmPopupWindow(nullptr);
    EXPECT_FALSE(window.IsFullScreenForeground());
    EXPECT_FALSE(window.RaiseExistingPopup());
    const std::vector<engine::SpeedAlarmRecord> output{alarm_test::Record(7, u"game", 0)};
    ::testing::internal::CaptureStderr();
    window.ShowAccelerationStatePopup(alarming::PopupRectangle(0, 0), output);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), alarming::FormatAlarmLine(output));
}

}  // namespace
