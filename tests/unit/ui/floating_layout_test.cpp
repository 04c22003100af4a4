#include <gtest/gtest.h>

#include "ui/floating_layout.h"

namespace {

using ui::Point;
using ui::Rect;

TEST(FloatingPosition, StoredPositionOnScreenIsKept) {
    const struct {
        int x;
        int y;
        Point expected;
    } cases[] = {
        {0, 0, {0, 0}},
        {1023, 788, {1023, 788}},  // the strip may hang below the bottom edge by up to 20 pixels
        {500, 300, {500, 300}},
        {-1, -1, {1024 - 321, 15}},
        {-1, 300, {1024 - 321, 15}},
        {500, -5, {1024 - 321, 15}},
        {1024, 300, {1024 - 321, 15}},
        {500, 789, {1024 - 321, 15}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::FloatingInitialPosition(c.x, c.y, 1024, 768), c.expected) << c.x << "," << c.y;
}

TEST(FloatingPosition, DefaultFollowsTheScreenWidth) {
    EXPECT_EQ(ui::FloatingDefaultPosition(1920), (Point{1920 - ui::kFloatingWidth - 151, 15}));
    EXPECT_EQ(ui::FloatingDefaultPosition(800), (Point{479, 15}));
}

TEST(AccStatePopup, PulledInsideTheMonitor) {
    const Rect monitor{0, 0, 1024, 768};
    const struct {
        Rect start;
        Rect expected;
    } cases[] = {
        // The strip near the top right: no room to its right, so it moves in; vertically it fits.
        {{703, 15, 873, 40}, {742, 15, 1022, 40}},
        // Plenty of room: unchanged.
        {{100, 100, 380, 370}, {100, 100, 380, 370}},
        // Off the left and top edges.
        {{-50, -10, 230, 260}, {2, 2, 282, 272}},
        // Too low: pulled up from the bottom.
        {{100, 600, 380, 870}, {100, 496, 380, 766}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::ClampAccStatePopup(c.start, monitor), c.expected);
}

TEST(FloatingTextLine, LabelAndFigureByState) {
    const struct {
        int state;
        bool alarm;
        const char16_t* label;
        int quantity;
        bool rate;
    } cases[] = {
        {0, false, u"网络占用：", 7, true},  {0, true, u"网络占用：", 7, true},
        {1, true, u"异常流量：", 7, false},  {1, false, u"网游流量：", 4, false},
        {2, false, u"网游流量：", 4, false},
    };
    for (const auto& c : cases) {
        const auto choice = ui::ChooseTextLine(c.state, c.alarm);
        EXPECT_EQ(choice.label, c.label);
        EXPECT_EQ(choice.quantity, c.quantity);
        EXPECT_EQ(choice.rate, c.rate);
    }
    EXPECT_EQ(ui::TextLine(ui::ChooseTextLine(1, false), u"1.5mb"), u"网游流量：1.5mb");
}

}  // namespace
