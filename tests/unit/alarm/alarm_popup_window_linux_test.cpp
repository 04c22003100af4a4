// The headless window side: nothing on screen, and each pop-up a single line on standard error.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarm/alarm_popup_window.h"
#include "alarm_records.h"

namespace {

TEST(HeadlessPopupWindow, NoDesktopNoOpenPopupAndOneLinePerAlarm) {
    alarming::IAlarmPopupWindow& window = alarming::PlatformAlarmPopupWindow();
    EXPECT_FALSE(window.IsFullScreenForeground());
    EXPECT_FALSE(window.RaiseExistingPopup());

    const std::vector<engine::SpeedAlarmRecord> output{alarm_test::Record(1234, u"iperf3", 0),
                                                       alarm_test::Record(99, u"curl", 0)};
    ::testing::internal::CaptureStderr();
    window.ShowAccelerationStatePopup(alarming::PopupRectangle(0, 0), output);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, alarming::FormatAlarmLine(output));
}

}  // namespace
