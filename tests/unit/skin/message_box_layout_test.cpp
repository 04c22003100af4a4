#include "skin/message_box_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(MessageBoxButtons, StyleSelectsTheRowDefaultButtonAndIcon) {
    const struct {
        std::uint32_t style;
        std::vector<std::u16string> texts;
        std::size_t defaultIndex;
        int icon;
    } cases[] = {
        {0, {u"确定"}, 0, 0},
        {1 | 0x100, {u"确定", u"取消"}, 1, 0},
        {2 | 0x200 | 0x10, {u"终止(&A)", u"重试(&R)", u"忽略(&I)"}, 2, 228},
        {3 | 0x300 | 0x20, {u"是(&Y)", u"否(&N)", u"取消"}, 3, 229},
        {4 | 0x30, {u"是(&Y)", u"否(&N)"}, 0, 230},
        {5 | 0x40, {u"重试(&R)", u"取消"}, 0, 231},
        {6 | 0x40 | 0x30, {u"取消", u"重试(&T)", u"继续(&C)"}, 0, 231},
        {7 | 0x70, {u"取消", u"重试(&T)", u"继续(&C)"}, 0, 231},
        {0x4000, {u"确定", u"帮助"}, 0, 0},
        {0x4000 | 3, {u"是(&Y)", u"否(&N)", u"取消", u"帮助"}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style);
        std::vector<std::u16string> texts;
        for (int id : skin::MessageBoxButtonIds(c.style)) {
            texts.emplace_back(skin::MessageBoxButtonText(id));
        }
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(skin::MessageBoxDefaultIndex(c.style), c.defaultIndex);
        EXPECT_EQ(skin::MessageBoxIconBitmap(c.style), c.icon);
    }
    // The identifiers are the system box's results.
    EXPECT_EQ(skin::MessageBoxButtonIds(6), (std::vector<int>{2, 10, 11}));
    EXPECT_EQ(skin::MessageBoxButtonText(8), u"关闭");
    EXPECT_TRUE(skin::MessageBoxButtonText(0).empty());
    EXPECT_TRUE(skin::MessageBoxButtonText(12).empty());
}

TEST(MessageBoxLayout, LongTextWrapsAt240) {
    const struct {
        skin::Size measured;
        int lineHeight;
        skin::Size expected;
    } cases[] = {
        {{600, 12}, 12, {240, 36}}, {{240, 12}, 12, {240, 12}}, {{241, 12}, 14, {240, 28}},
        {{480, 12}, 12, {240, 36}},  // integer division adds a line even at an exact multiple
        {{0, 0}, 12, {0, 0}},
    };
    for (const auto& c : cases) {
        const skin::Size s = skin::MessageBoxTextSize(c.measured, c.lineHeight);
        EXPECT_EQ(s.width, c.expected.width) << c.measured.width;
        EXPECT_EQ(s.height, c.expected.height) << c.measured.width;
    }
}

TEST(MessageBoxLayout, TheTallerOfIconAndTextIsCentredOnTheOther) {
    auto l = skin::LayoutMessageBox({32, 32}, {240, 36}, 2);
    EXPECT_EQ(l.client.width, 32 + 16 + 240 + 40);
    EXPECT_EQ(l.client.height, 36 + 61);
    EXPECT_EQ(l.icon, (skin::Point{20, 12}));
    EXPECT_EQ(l.text, (skin::Point{68, 10}));
    ASSERT_EQ(l.buttons.size(), 2u);
    EXPECT_EQ(l.buttons[0], (skin::Point{(l.client.width - (2 * 70 + 10)) / 2, 36 + 22}));
    EXPECT_EQ(l.buttons[1], (skin::Point{l.buttons[0].x + 80, l.buttons[0].y}));

    l = skin::LayoutMessageBox({32, 40}, {30, 12}, 4);  // the button row is the widest
    EXPECT_EQ(l.client.width, 4 * 70 + 3 * 10 + 40);
    EXPECT_EQ(l.client.height, 40 + 61);
    EXPECT_EQ(l.icon, (skin::Point{20, 10}));
    EXPECT_EQ(l.text, (skin::Point{68, 24}));
    ASSERT_EQ(l.buttons.size(), 4u);
    EXPECT_EQ(l.buttons.front().x, 20);
}

TEST(MessageBoxLayout, WithoutTextAsWideAsTheIconOrOneButtonWithoutIconNoGap) {
    EXPECT_EQ(skin::LayoutMessageBox({32, 32}, {0, 0}, 1).client.width, 70 + 40);
    EXPECT_EQ(skin::LayoutMessageBox({60, 32}, {0, 0}, 1).client.width, 60 + 16 + 40);
    const auto l = skin::LayoutMessageBox({0, 0}, {100, 12}, 1);
    EXPECT_EQ(l.text, (skin::Point{20, 10}));
    EXPECT_EQ(l.client.width, 140);
    EXPECT_EQ(l.client.height, 73);
}

TEST(MessageBoxFallback, SystemBoxOnBuildFailureOrEmptyRun) {
    EXPECT_TRUE(skin::UseSystemMessageBox(false, 1));
    EXPECT_TRUE(skin::UseSystemMessageBox(true, -1));
    EXPECT_TRUE(skin::UseSystemMessageBox(true, 0));
    EXPECT_FALSE(skin::UseSystemMessageBox(true, 2));
}

}  // namespace
