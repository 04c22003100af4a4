#include "skin/frame_hit_test.h"

#include <gtest/gtest.h>

namespace {

using skin::Rect;

// Close strip: two 20-pixel faces; maximise and minimise strips: three 24-pixel faces.
constexpr skin::StripSize kClose{40, 18}, kMax{72, 18}, kMin{72, 16};

TEST(CaptionButtons, LaidOutFromTheRightEdgeWithoutGapsForAbsentOnes) {
    auto b = skin::LayoutCaptionButtons(400, {true, true, true, true}, kClose, kMax, kMin);
    EXPECT_EQ(b.close, (Rect{374, 7, 394, 25}));
    EXPECT_EQ(b.maximize, (Rect{346, 7, 370, 25}));
    EXPECT_EQ(b.minimize, (Rect{318, 7, 342, 23}));
    // Sized by the last strip measured, 2 pixels beyond the gap, from y = 13.
    EXPECT_EQ(b.settings, (Rect{288, 13, 312, 23}));

    b = skin::LayoutCaptionButtons(400, {true, false, true, false}, kClose, kMax, kMin);
    EXPECT_TRUE(b.maximize.IsEmpty());
    EXPECT_EQ(b.minimize, (Rect{346, 7, 370, 23}));
    EXPECT_TRUE(b.settings.IsEmpty());
    b = skin::LayoutCaptionButtons(400, {true, false, false, true}, kClose, kMax, kMin);
    EXPECT_EQ(b.settings, (Rect{355, 13, 368, 25}));
    b = skin::LayoutCaptionButtons(300, {false, false, false, true}, kClose, kMax, kMin);
    EXPECT_TRUE(b.close.IsEmpty());
    EXPECT_EQ(b.settings.right, 300 - 6 - 2);
}

TEST(FrameHitTest, FirstMatchWins) {
    skin::FrameState sizable;
    sizable.width = 400;
    sizable.height = 300;
    sizable.sizable = true;
    sizable.buttons = skin::LayoutCaptionButtons(400, {true, true, true, true}, kClose, kMax, kMin);
    skin::FrameState fixed = sizable;
    fixed.sizable = false;
    skin::FrameState maximized = sizable;
    maximized.maximized = true;
    using namespace skin;
    const struct {
        int x, y, sizable, fixed, maximized;
    } cases[] = {
        {374, 7, kHitClose, kHitClose, kHitClose},
        {393, 24, kHitClose, kHitClose, kHitClose},
        {394, 7, kHitCaption, kHitCaption, kHitClient},  // just right of close
        {350, 10, kHitMaximize, kHitMaximize, kHitMaximize},
        {320, 20, kHitMinimize, kHitMinimize, kHitMinimize},
        {300, 20, kHitSettings, kHitSettings, kHitSettings},
        {2, 2, kHitTopLeft, kHitClient, kHitClient},
        {397, 1, kHitTopRight, kHitClient, kHitClient},
        {1, 298, kHitBottomLeft, kHitClient, kHitClient},
        {399, 299, kHitBottomRight, kHitClient, kHitClient},
        {0, 150, kHitLeft, kHitClient, kHitClient},
        {399, 150, kHitRight, kHitClient, kHitClient},
        {200, 0, kHitTop, kHitClient, kHitClient},
        {200, 297, kHitBottom, kHitClient, kHitClient},
        {3, 3, kHitCaption, kHitCaption, kHitClient},
        {396, 30, kHitCaption, kHitCaption, kHitClient},
        {200, 31, kHitClient, kHitClient, kHitClient},
        {3, 150, kHitClient, kHitClient, kHitClient},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.x << "," << c.y);
        EXPECT_EQ(FrameHitTest(sizable, c.x, c.y), c.sizable);
        EXPECT_EQ(FrameHitTest(fixed, c.x, c.y), c.fixed);
        EXPECT_EQ(FrameHitTest(maximized, c.x, c.y), c.maximized);
    }
    // No buttons: caption up to the frame.
    skin::FrameState bare;
    bare.width = 200;
    bare.height = 100;
    EXPECT_EQ(FrameHitTest(bare, 190, 10), kHitCaption);
    EXPECT_EQ(FrameHitTest(bare, 197, 10), kHitClient);
    EXPECT_EQ(FrameClientRect({100, 50, 500, 350}), (Rect{102, 81, 498, 345}));
}

}  // namespace
