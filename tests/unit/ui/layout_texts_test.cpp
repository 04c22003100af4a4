// What the main window's header, the floating strip and the acceleration-state window show, and where.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "engine/process_records.h"
#include "ui/acc_state_texts.h"
#include "ui/floating_layout.h"
#include "ui/main_layout.h"

namespace {

using ui::HeaderCase;
using ui::Point;
using ui::Rect;

TEST(MainHeader, ByAccelerationStateAndAlarm) {
    using Fields = std::tuple<HeaderCase, std::u16string_view, std::u16string_view, int, std::u16string_view,
                              int, bool, bool>;
    const Fields idle{
        HeaderCase::kNotAccelerating, u"尚未开启网游加速", u"本机上传：", 9, u"本机下载：", 8, true, false};
    const Fields abnormal{HeaderCase::kAbnormal,
                          u"检测到异常流量，游戏前请关闭相关进程",
                          u"网游：",
                          4,
                          u"其他：",
                          7,
                          true,
                          true};
    const Fields monitoring{HeaderCase::kMonitoring,
                            u"流量监控已开启，尚未检测到异常流量",
                            u"网游：",
                            4,
                            u"其他：",
                            7,
                            false,
                            false};
    // Any state but 0 counts as accelerating; the alarm matters only then.
    const std::tuple<std::uint32_t, bool, Fields> cases[] = {{0, false, idle},       {0, true, idle},
                                                             {1, true, abnormal},    {2, true, abnormal},
                                                             {1, false, monitoring}, {2, false, monitoring}};
    for (const auto& [state, alarm, expected] : cases) {
        const ui::HeaderChoice c = ui::ChooseHeader(state, alarm);
        EXPECT_EQ(Fields(c.headerCase, c.description, c.leftLabel, c.leftQuantity, c.rightLabel,
                         c.rightQuantity, c.rates, c.abnormalIcon),
                  expected)
            << state << alarm;
    }
    EXPECT_EQ(ui::HeaderFigure(u"网游：", u"1.5mb"), u"网游：1.5mb");
}

TEST(MainLayout, PagesFillTheFrameAndTheTabLineIsOpenUnderTheActiveTab) {
    EXPECT_EQ(ui::PageBox(ui::kPageFrameBox), (ui::Box{11, 102, 520, 373}));
    // The page is made at the size it ends up with.
    EXPECT_EQ(ui::PageBox(ui::kPageFrameBox).width, ui::kPageCreateBox.width);
    EXPECT_EQ(ui::PageBox(ui::kPageFrameBox).height, ui::kPageCreateBox.height);
    const ui::TabLine first = ui::TabLineFor(0, 548);
    EXPECT_EQ(first.left, (ui::LineSegment{0, 42, 100}));
    EXPECT_EQ(first.right, (ui::LineSegment{127, 548, 100}));
    const ui::TabLine second = ui::TabLineFor(1, 548);
    EXPECT_EQ(second.left, (ui::LineSegment{0, 127, 100}));
    EXPECT_EQ(second.right, (ui::LineSegment{212, 548, 100}));
    // The tabs sit side by side on the frame's top edge.
    EXPECT_EQ(ui::kTrafficTabBox.Right(), ui::kAlarmTabBox.x);
    EXPECT_EQ(ui::kAlarmTabBox.Bottom(), ui::kPageFrameBox.y);
}

TEST(FloatingPosition, StoredPositionOnScreenIsKeptElseTheDefault) {
    const Point fallback{1024 - 321, 15};
    const std::tuple<int, int, Point> cases[] = {
        {0, 0, {0, 0}},
        {1023, 788, {1023, 788}},  // the strip may hang below the bottom edge by up to
                                   // 20 pixels
        {-1, -1, fallback},
        {-1, 300, fallback},
        {500, -5, fallback},
        {1024, 300, fallback},
        {500, 789, fallback},
    };
    for (const auto& [x, y, expected] : cases) {
        EXPECT_EQ(ui::FloatingInitialPosition(x, y, 1024, 768), expected) << x << "," << y;
    }
    EXPECT_EQ(ui::FloatingDefaultPosition(1920), (Point{1920 - ui::kFloatingWidth - 151, 15}));
    EXPECT_EQ(ui::FloatingDefaultPosition(800), (Point{479, 15}));
}

TEST(FloatingTextLine, LabelAndFigureByState) {
    const std::tuple<int, bool, std::u16string_view, int, bool> cases[] = {
        {0, false, u"网络占用：", 7, true},  {0, true, u"网络占用：", 7, true},
        {1, true, u"异常流量：", 7, false},  {1, false, u"网游流量：", 4, false},
        {2, false, u"网游流量：", 4, false},
    };
    for (const auto& [state, alarm, label, quantity, rate] : cases) {
        const auto choice = ui::ChooseTextLine(state, alarm);
        EXPECT_EQ(std::tie(choice.label, choice.quantity, choice.rate), std::tie(label, quantity, rate));
    }
    EXPECT_EQ(ui::TextLine(ui::ChooseTextLine(1, false), u"1.5mb"), u"网游流量：1.5mb");
}

TEST(AccStatePopup, PulledInsideTheMonitor) {
    const std::pair<Rect, Rect> cases[] = {
        {{703, 15, 873, 40}, {742, 15, 1022, 40}},     // no room right of the strip: moved in
        {{100, 100, 380, 370}, {100, 100, 380, 370}},  // room enough: unchanged
        {{-50, -10, 230, 260}, {2, 2, 282, 272}},      // off the left and top edges
        {{100, 600, 380, 870}, {100, 496, 380, 766}},  // too low: pulled up
    };
    for (const auto& [start, expected] : cases) {
        EXPECT_EQ(ui::ClampAccStatePopup(start, Rect{0, 0, 1024, 768}), expected);
    }
}

TEST(AccStateTexts, StateUsageAndDescription) {
    EXPECT_EQ(ui::AccelerationStateText(1), u"网游加速：已加速");
    EXPECT_EQ(ui::AccelerationStateText(0), u"网游加速：尚未加速游戏");
    EXPECT_EQ(ui::AccelerationStateText(2), u"网游加速：尚未加速游戏");
    const auto usage = [](std::uint32_t state, bool alarm) {
        const ui::UsageTexts t = ui::ChooseUsageTexts(state, alarm, u"1.5MB", u"20KB");
        return std::make_pair(t.first, t.second);
    };
    EXPECT_EQ(usage(1, false), std::make_pair(std::u16string(u"网游：1.5MB"), std::u16string(u"其它：20KB")));
    EXPECT_EQ(usage(2, true), std::make_pair(std::u16string(u"异常流量：20KB"), std::u16string()));
    EXPECT_EQ(usage(0, true), std::make_pair(std::u16string(), std::u16string()));
    EXPECT_EQ(ui::AccStateDescription(3), u"当前有3个进程可能会影响您网游加速效果，建议关闭下列进程");
    // A 20-pixel header and 16-pixel rows, two pixels of border at each end, up to a limit.
    EXPECT_EQ(ui::AccStateListHeight(0, 16, 20), 20 + 16 + 4);
    EXPECT_EQ(ui::AccStateListHeight(2, 16, 20), 20 + 32 + 4);
    EXPECT_EQ(ui::AccStateListHeight(50, 16, 20), 20 + 16 * static_cast<int>(ui::kAccStateMaxRows) + 4);
}

TEST(AccStateTexts, LogoFromTheGameIdElseTheAcceleratedProcess) {
    const auto row = [](std::uint32_t pid, std::u16string name, std::u16string path, std::uint32_t state) {
        engine::ProcessRow process;
        process.pid = pid;
        process.name = std::move(name);
        process.path = std::move(path);
        process.state = state;
        process.accelerated = true;
        return process;
    };
    const engine::ProcessRow exited = row(5, u"Old.exe(已关闭)", u"C:\\old.exe", engine::kStateExited);
    const std::vector<engine::ProcessRow> rows{
        exited, row(7, u"Game.exe", u"C:\\g\\Game.exe", engine::kStateRunning)};
    const auto logo = [&](int id, const std::vector<engine::ProcessRow>& processes) {
        const ui::LogoChoice c = ui::ChooseLogo(id, u"Fancy Game", u"C:\\x\\fancy.exe", processes);
        return std::vector<std::u16string>{c.name, c.logoFile, c.iconPath};
    };
    EXPECT_EQ(logo(12, rows),
              (std::vector<std::u16string>{u"Fancy Game", u"gamelogo\\12.ico", u"C:\\x\\fancy.exe"}));
    EXPECT_EQ(logo(0, rows), (std::vector<std::u16string>{u"Game.exe", u"", u"C:\\g\\Game.exe"}));
    EXPECT_TRUE(ui::ChooseLogo(-1, u"", u"", {exited}).name.empty());
}

}  // namespace
