#include <gtest/gtest.h>

#include "ui/main_layout.h"

namespace {

using ui::HeaderCase;

TEST(MainHeader, NotAcceleratingWhateverTheAlarmSays) {
    for (const bool alarm : {false, true}) {
        const ui::HeaderChoice choice = ui::ChooseHeader(0, alarm);
        EXPECT_EQ(choice.headerCase, HeaderCase::kNotAccelerating);
        EXPECT_EQ(choice.description, u"尚未开启网游加速");
        EXPECT_EQ(choice.leftLabel, u"本机上传：");
        EXPECT_EQ(choice.leftQuantity, 9);
        EXPECT_EQ(choice.rightLabel, u"本机下载：");
        EXPECT_EQ(choice.rightQuantity, 8);
        EXPECT_TRUE(choice.rates);
        EXPECT_FALSE(choice.abnormalIcon);
    }
}

TEST(MainHeader, AcceleratingWithAnUnhandledAlarmIsAbnormal) {
    for (const std::uint32_t state : {1u, 2u}) {
        const ui::HeaderChoice choice = ui::ChooseHeader(state, true);
        EXPECT_EQ(choice.headerCase, HeaderCase::kAbnormal);
        EXPECT_EQ(choice.description, u"检测到异常流量，游戏前请关闭相关进程");
        EXPECT_EQ(choice.leftLabel, u"网游：");
        EXPECT_EQ(choice.leftQuantity, 4);
        EXPECT_EQ(choice.rightLabel, u"其他：");
        EXPECT_EQ(choice.rightQuantity, 7);
        EXPECT_TRUE(choice.rates);
        EXPECT_TRUE(choice.abnormalIcon);
    }
}

TEST(MainHeader, AcceleratingWithoutAlarmShowsTotals) {
    for (const std::uint32_t state : {1u, 2u}) {
        const ui::HeaderChoice choice = ui::ChooseHeader(state, false);
        EXPECT_EQ(choice.headerCase, HeaderCase::kMonitoring);
        EXPECT_EQ(choice.description, u"流量监控已开启，尚未检测到异常流量");
        EXPECT_EQ(choice.leftQuantity, 4);
        EXPECT_EQ(choice.rightQuantity, 7);
        EXPECT_FALSE(choice.rates);
        EXPECT_FALSE(choice.abnormalIcon);
    }
    EXPECT_EQ(ui::HeaderFigure(u"网游：", u"1.5mb"), u"网游：1.5mb");
}

TEST(MainLayout, PagesFillTheFrameInsideItsBorder) {
    EXPECT_EQ(ui::PageBox(ui::kPageFrameBox), (ui::Box{11, 102, 520, 373}));
    // The page is made at the size it ends up with.
    EXPECT_EQ(ui::PageBox(ui::kPageFrameBox).width, ui::kPageCreateBox.width);
    EXPECT_EQ(ui::PageBox(ui::kPageFrameBox).height, ui::kPageCreateBox.height);
}

TEST(MainLayout, TabLineIsOpenUnderTheActiveTab) {
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

}  // namespace
