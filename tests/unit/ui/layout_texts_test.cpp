// What the main window's header, the floating strip and the acceleration-state window show, and where.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "engine/process_records.h"
#include "ui/acc_state_texts.h"
#include "ui/floating_layout.h"
#include "ui/main_layout.h"

namespace {

using ui::Point;
using ui::Rect;

std::u16string Digit(int value) {
    return std::u16string(1, static_cast<char16_t>(u'0' + value));
}

// Any state but 0 counts as accelerating; the alarm matters only then.
TEST(MainHeader, ByAccelerationStateAndAlarm) {
    const std::tuple<std::uint32_t, bool, std::u16string_view> cases[] = {
        // case, description, the figures' labels and quantities, whether rates, whether the abnormal icon
        {0, true, u"0 尚未开启网游加速 本机上传：9 本机下载：8 rates"},
        {1, true, u"1 检测到异常流量，游戏前请关闭相关进程 网游：4 其他：7 rates icon"},
        {2, true, u"1 检测到异常流量，游戏前请关闭相关进程 网游：4 其他：7 rates icon"},
        {2, false, u"2 流量监控已开启，尚未检测到异常流量 网游：4 其他：7"},
    };
    for (const auto& [state, alarm, expected] : cases) {
        const ui::HeaderChoice c = ui::ChooseHeader(state, alarm);
        EXPECT_EQ(Digit(static_cast<int>(c.headerCase)) + u" " + std::u16string(c.description) + u" " +
                      ui::HeaderFigure(c.leftLabel, Digit(c.leftQuantity)) + u" " +
                      ui::HeaderFigure(c.rightLabel, Digit(c.rightQuantity)) + (c.rates ? u" rates" : u"") +
                      (c.abnormalIcon ? u" icon" : u""),
                  expected)
            << state << alarm;
    }
}

TEST(FloatingTextLine, LabelAndFigureByState) {
    const std::tuple<int, bool, std::u16string_view> cases[] = {
        {0, true, u"网络占用：7 rate"}, {1, true, u"异常流量：7"}, {2, false, u"网游流量：4"}};
    for (const auto& [state, alarm, expected] : cases) {
        const auto c = ui::ChooseTextLine(state, alarm);
        EXPECT_EQ(ui::TextLine(c, Digit(c.quantity)) + (c.rate ? u" rate" : u""), expected);
    }
}

TEST(MainLayout, PageFillsTheFrameAndTheTabLineIsOpenUnderTheActiveTab) {
    EXPECT_EQ(ui::PageBox(ui::kPageFrameBox), (ui::Box{11, 102, 520, 373}));
    EXPECT_EQ(ui::TabLineFor(0, 548).left, (ui::LineSegment{0, 42, 100}));
    EXPECT_EQ(ui::TabLineFor(0, 548).right, (ui::LineSegment{127, 548, 100}));
    EXPECT_EQ(ui::TabLineFor(1, 548).left, (ui::LineSegment{0, 127, 100}));
    EXPECT_EQ(ui::TabLineFor(1, 548).right, (ui::LineSegment{212, 548, 100}));
}

TEST(FloatingPosition, StoredPositionOnScreenIsKeptElseTheDefault) {
    const Point fallback{1024 - 321, 15};
    const std::tuple<int, int, Point> cases[] = {
        {0, 0, {0, 0}},      {1023, 788, {1023, 788}},  // the strip may hang 20 pixels below the screen
        {-1, 300, fallback}, {500, -5, fallback},      {1024, 300, fallback}, {500, 789, fallback},
    };
    for (const auto& [x, y, expected] : cases) {
        EXPECT_EQ(ui::FloatingInitialPosition(x, y, 1024, 768), expected) << x << "," << y;
    }
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

TEST(AccStateTexts, StateUsageDescriptionAndListHeight) {
    EXPECT_EQ(ui::AccelerationStateText(1), u"网游加速：已加速");
    EXPECT_EQ(ui::AccelerationStateText(2), u"网游加速：尚未加速游戏");
    const std::tuple<std::uint32_t, bool, std::u16string_view> usage[] = {
        {1, false, u"网游：1.5MB|其它：20KB"}, {2, true, u"异常流量：20KB|"}, {0, true, u"|"}};
    for (const auto& [state, alarm, expected] : usage) {
        const ui::UsageTexts t = ui::ChooseUsageTexts(state, alarm, u"1.5MB", u"20KB");
        EXPECT_EQ(t.first + u"|" + t.second, expected);
    }
    EXPECT_EQ(ui::AccStateDescription(3), u"当前有3个进程可能会影响您网游加速效果，建议关闭下列进程");
    // A 20-pixel header and 16-pixel rows (at least one, at most six), two pixels of border at each end.
    EXPECT_EQ(ui::AccStateListHeight(0, 16, 20), 20 + 16 + 4);
    EXPECT_EQ(ui::AccStateListHeight(2, 16, 20), 20 + 32 + 4);
    EXPECT_EQ(ui::AccStateListHeight(50, 16, 20), 20 + 6 * 16 + 4);
}

TEST(AccStateTexts, LogoFromTheGameIdElseTheAcceleratedProcess) {
    const auto row = [](std::uint32_t pid, std::u16string name, std::uint32_t state) {
        return engine::ProcessRow{0, pid, name, u"C:\\" + name, state, {}, {}, 0, 0, 0, true};  // accelerated
    };
    const engine::ProcessRow exited = row(5, u"Old.exe(已关闭)", engine::kStateExited);
    const std::vector<engine::ProcessRow> rows{exited, row(7, u"Game.exe", engine::kStateRunning)};
    const auto logo = [&](int id, const std::vector<engine::ProcessRow>& processes) {
        const ui::LogoChoice c = ui::ChooseLogo(id, u"Fancy Game", u"C:\\x\\fancy.exe", processes);
        return c.name + u"|" + c.logoFile + u"|" + c.iconPath;
    };
    EXPECT_EQ(logo(12, rows), u"Fancy Game|gamelogo\\12.ico|C:\\x\\fancy.exe");
    EXPECT_EQ(logo(0, rows), u"Game.exe||C:\\Game.exe");
    EXPECT_EQ(logo(-1, {exited}), u"||");
}

}  // namespace
