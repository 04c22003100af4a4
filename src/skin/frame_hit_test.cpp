#include "skin/frame_hit_test.h"

namespace skin {

namespace {

constexpr int kButtonTop = 7;
constexpr int kSettingsTop = 13;
constexpr int kRightMargin = 6;
constexpr int kButtonGap = 4;
constexpr int kSettingsGap = 2;

// Places a button of the given size with its right edge at *right and moves *right past the gap.
Rect PlaceLeftOf(int* right, int width, int height) {
    const Rect r{*right - width, kButtonTop, *right, kButtonTop + height};
    *right = r.left - kButtonGap;
    return r;
}

}  // namespace

CaptionButtons LayoutCaptionButtons(int windowWidth, const CaptionButtonSet& set, StripSize closeStrip,
                                    StripSize maximizeStrip, StripSize minimizeStrip) {
    CaptionButtons buttons;
    int right = windowWidth - kRightMargin;
    // The settings button takes the size of the last strip measured; with no buttons at all the
    // minimise strip stands in (all three strips are loaded regardless).
    StripSize last = minimizeStrip;
    if (set.close) {
        buttons.close = PlaceLeftOf(&right, closeStrip.width / 2, closeStrip.height);
        last = closeStrip;
    }
    if (set.maximize) {
        buttons.maximize = PlaceLeftOf(&right, maximizeStrip.width / 3, maximizeStrip.height);
        last = maximizeStrip;
    }
    if (set.minimize) {
        buttons.minimize = PlaceLeftOf(&right, minimizeStrip.width / 3, minimizeStrip.height);
        last = minimizeStrip;
    }
    if (set.settings) {
        // With buttons placed, the cursor already includes the 4-pixel gap after the last one.
        const int edge = right - kSettingsGap;
        const int bottom = kButtonTop + last.height;
        buttons.settings = {edge - last.width / 3, kSettingsTop, edge, bottom};
    }
    return buttons;
}

int FrameHitTest(const FrameState& frame, int x, int y) {
    const CaptionButtons& b = frame.buttons;
    if (b.close.Contains(x, y))
        return kHitClose;
    if (b.maximize.Contains(x, y))
        return kHitMaximize;
    if (b.minimize.Contains(x, y))
        return kHitMinimize;
    if (b.settings.Contains(x, y))
        return kHitSettings;

    if (frame.sizable && !frame.maximized) {
        const bool left = x < kSizingEdge;
        const bool right = x >= frame.width - kSizingEdge;
        const bool top = y < kSizingEdge;
        const bool bottom = y >= frame.height - kSizingEdge;
        if (left && top)
            return kHitTopLeft;
        if (right && top)
            return kHitTopRight;
        if (left && bottom)
            return kHitBottomLeft;
        if (right && bottom)
            return kHitBottomRight;
        if (left)
            return kHitLeft;
        if (right)
            return kHitRight;
        if (top)
            return kHitTop;
        if (bottom)
            return kHitBottom;
    }

    const Rect caption{kSizingEdge, kSizingEdge, frame.width - kSizingEdge, kCaptionHeight};
    if (caption.Contains(x, y))
        return frame.maximized ? kHitClient : kHitCaption;
    return kHitClient;
}

Rect FrameClientRect(const Rect& window) {
    return {window.left + kSideFrame, window.top + kCaptionHeight, window.right - kSideFrame,
            window.bottom - kBottomFrame};
}

}  // namespace skin
