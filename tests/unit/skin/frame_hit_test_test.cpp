#include <gtest/gtest.h>

#include "skin/frame_hit_test.h"

namespace {

using skin::Rect;

// Close strip: two 20-pixel faces; maximise and minimise strips: three 24-pixel faces.
constexpr skin::StripSize kClose{40, 18};
constexpr skin::StripSize kMax{72, 18};
constexpr skin::StripSize kMin{72, 16};

TEST(CaptionButtons, LaidOutFromTheRightEdge) {
    const auto b = skin::LayoutCaptionButtons(400, {true, true, true, true}, kClose, kMax, kMin);
    EXPECT_EQ(b.close, (Rect{374, 7, 394, 25}));
    EXPECT_EQ(b.maximize, (Rect{346, 7, 370, 25}));
    EXPECT_EQ(b.minimize, (Rect{318, 7, 342, 23}));
    // Sized by the last strip measured (minimise), 2 pixels beyond the gap, from y = 13.
    EXPECT_EQ(b.settings, (Rect{288, 13, 312, 23}));
}

TEST(CaptionButtons, AbsentButtonsLeaveNoGap) {
    auto b = skin::LayoutCaptionButtons(400, {true, false, true, false}, kClose, kMax, kMin);
    EXPECT_EQ(b.close, (Rect{374, 7, 394, 25}));
    EXPECT_TRUE(b.maximize.IsEmpty());
    EXPECT_EQ(b.minimize, (Rect{346, 7, 370, 23}));
    EXPECT_TRUE(b.settings.IsEmpty());

    b = skin::LayoutCaptionButtons(400, {true, false, false, true}, kClose, kMax, kMin);
    EXPECT_EQ(b.settings, (Rect{370 - 2 - 13, 13, 368, 25}));
}

TEST(CaptionButtons, SettingsAloneSitsEightPixelsFromTheRight) {
    const auto b = skin::LayoutCaptionButtons(300, {false, false, false, true}, kClose, kMax, kMin);
    EXPECT_TRUE(b.close.IsEmpty());
    EXPECT_TRUE(b.maximize.IsEmpty());
    EXPECT_TRUE(b.minimize.IsEmpty());
    EXPECT_EQ(b.settings.right, 300 - 6 - 2);
    EXPECT_EQ(b.settings.top, 13);
}

skin::FrameState Frame(bool sizable, bool maximized) {
    skin::FrameState f;
    f.width = 400;
    f.height = 300;
    f.sizable = sizable;
    f.maximized = maximized;
    f.buttons = skin::LayoutCaptionButtons(400, {true, true, true, true}, kClose, kMax, kMin);
    return f;
}

struct HitCase {
    int x;
    int y;
    int sizable;    // sizable, not maximised
    int fixed;      // no sizing border
    int maximized;  // sizable and maximised
};

TEST(FrameHitTest, FirstMatchWins) {
    const HitCase cases[] = {
        {374, 7, skin::kHitClose, skin::kHitClose, skin::kHitClose},
        {393, 24, skin::kHitClose, skin::kHitClose, skin::kHitClose},
        {394, 7, skin::kHitCaption, skin::kHitCaption, skin::kHitClient},  // just right of close
        {350, 10, skin::kHitMaximize, skin::kHitMaximize, skin::kHitMaximize},
        {320, 20, skin::kHitMinimize, skin::kHitMinimize, skin::kHitMinimize},
        {300, 20, skin::kHitSettings, skin::kHitSettings, skin::kHitSettings},
        {0, 0, skin::kHitTopLeft, skin::kHitClient, skin::kHitClient},
        {2, 2, skin::kHitTopLeft, skin::kHitClient, skin::kHitClient},
        {397, 1, skin::kHitTopRight, skin::kHitClient, skin::kHitClient},
        {1, 298, skin::kHitBottomLeft, skin::kHitClient, skin::kHitClient},
        {399, 299, skin::kHitBottomRight, skin::kHitClient, skin::kHitClient},
        {0, 150, skin::kHitLeft, skin::kHitClient, skin::kHitClient},
        {399, 150, skin::kHitRight, skin::kHitClient, skin::kHitClient},
        {200, 0, skin::kHitTop, skin::kHitClient, skin::kHitClient},
        {200, 297, skin::kHitBottom, skin::kHitClient, skin::kHitClient},
        {3, 3, skin::kHitCaption, skin::kHitCaption, skin::kHitClient},
        {396, 30, skin::kHitCaption, skin::kHitCaption, skin::kHitClient},
        {200, 31, skin::kHitClient, skin::kHitClient, skin::kHitClient},
        {3, 150, skin::kHitClient, skin::kHitClient, skin::kHitClient},
    };
    const skin::FrameState sizable = Frame(true, false);
    const skin::FrameState fixed = Frame(false, false);
    const skin::FrameState maximized = Frame(true, true);
    for (const auto& c : cases) {
        EXPECT_EQ(skin::FrameHitTest(sizable, c.x, c.y), c.sizable) << c.x << "," << c.y;
        EXPECT_EQ(skin::FrameHitTest(fixed, c.x, c.y), c.fixed) << c.x << "," << c.y;
        EXPECT_EQ(skin::FrameHitTest(maximized, c.x, c.y), c.maximized) << c.x << "," << c.y;
    }
}

TEST(FrameHitTest, NoButtonsMeansCaptionUpToTheEdge) {
    skin::FrameState f;
    f.width = 200;
    f.height = 100;
    EXPECT_EQ(skin::FrameHitTest(f, 190, 10), skin::kHitCaption);
    EXPECT_EQ(skin::FrameHitTest(f, 197, 10), skin::kHitClient);
}

TEST(FrameClientRect, FrameTakesSidesCaptionAndBottom) {
    EXPECT_EQ(skin::FrameClientRect({100, 50, 500, 350}), (Rect{102, 81, 498, 345}));
}

}  // namespace
