// The pop-up thread's hand-shake and what it asks of the window side; the pop-up's place and the
// headless report line.

#include "alarm/alarm_popup_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "alarm/alarm_history.h"
#include "alarm_records.h"
#include "fake_popup_window.h"

namespace {

using alarm_test::FakePopupWindow;
using alarm_test::Pids;
using alarm_test::Record;
using alarming::PopupRect;

class PopupThreadTest : public ::testing::Test {
  protected:
    ~PopupThreadTest() override { alarming::HasUnhandledAlarm = saved_; }
    std::uint32_t saved_ = alarming::HasUnhandledAlarm.load();
    FakePopupWindow window_;
    base::Event ready_{base::EventReset::kAutomatic, false};
    const std::vector<engine::SpeedAlarmRecord> output_{Record(5, u"dl.exe", 0), Record(6, u"up.exe", 0)};
};

TEST_F(PopupThreadTest, SetsTheFlagHidesTheWindowSignalsAndShowsAtTheBottomRight) {
    alarming::HasUnhandledAlarm = 0;
    window_.width = 1280;
    window_.height = 984;
    EXPECT_EQ(alarming::AlarmPopupThread(output_, window_, ready_), 0u);
    EXPECT_TRUE(ready_.Wait(0));
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
    EXPECT_EQ(window_.IndicatorStarts(), 1);
    EXPECT_EQ(window_.Hides(), 1);
    const auto shown = window_.ShownPopups();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rect, alarming::PopupRectangle(1280, 984));
    EXPECT_EQ(Pids(shown[0].output), (std::vector<std::uint32_t>{5, 6}));
}

TEST_F(PopupThreadTest, AnOpenPopupIsRaisedInsteadOfASecondOne) {
    window_.popupOpen = true;
    alarming::AlarmPopupThread(output_, window_, ready_);
    EXPECT_TRUE(ready_.Wait(0));
    EXPECT_EQ(window_.Raises(), 1);
    EXPECT_TRUE(window_.ShownPopups().empty());
    EXPECT_EQ(alarming::HasUnhandledAlarm, 1u);
}

TEST(PopupRectangleTest, BottomRightOfTheFullScreenClientArea) {
    const PopupRect rect = alarming::PopupRectangle(1024, 738);
    EXPECT_EQ(rect.right, 1023);
    EXPECT_EQ(rect.bottom, 758);  // 20 below the client area, over the task bar
    EXPECT_EQ(rect.right - rect.left, alarming::kPopupWidth);
    EXPECT_EQ(rect.bottom - rect.top, alarming::kPopupHeight);
}

TEST(AlarmLineTest, NamesEveryProcessOnOneLine) {
    auto a = Record(1234, u"iperf3", 0);
    a.downSpeedText = u"5.20MB/S";
    a.upSpeedText = u"0.00KB/S";
    auto b = Record(77, u"下载器.exe", 0);
    b.downSpeedText = u"12.00KB/S";
    b.upSpeedText = u"900.10KB/S";
    const std::vector<engine::SpeedAlarmRecord> output{a, b};
    const std::string line = alarming::FormatAlarmLine(output);

    EXPECT_EQ(line.rfind("kvtmon: alarm: ", 0), 0u);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    EXPECT_NE(line.find("iperf3 (pid 1234) 5.20MB/S down 0.00KB/S up"), std::string::npos) << line;
    EXPECT_NE(line.find("\xE4\xB8\x8B\xE8\xBD\xBD\xE5\x99\xA8.exe (pid 77) 12.00KB/S down 900.10KB/S up"),
              std::string::npos)
        << line;
    EXPECT_LT(line.find("iperf3"), line.find("(pid 77)")) << "in the order of the alarm";
}

TEST(AlarmLineTest, ALineBreakInANameDoesNotSplitTheReport) {
    const std::vector<engine::SpeedAlarmRecord> output{Record(1, u"odd\nname\r", 0)};
    const std::string line = alarming::FormatAlarmLine(output);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    EXPECT_EQ(line.find('\r'), std::string::npos);
    EXPECT_NE(line.find("odd name  (pid 1)"), std::string::npos) << line;
}

}  // namespace
