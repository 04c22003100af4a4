#pragma once

// Geometry of the skinned dialog frame: where the caption buttons sit, which part of the frame a point
// is over, and the client area inside the frame. Coordinates are relative to the window's top-left.

namespace skin {

// Hit codes, the values WM_NCHITTEST answers with.
inline constexpr int kHitClient = 1;
inline constexpr int kHitCaption = 2;
inline constexpr int kHitSysMenu = 3;
inline constexpr int kHitMinimize = 8;
inline constexpr int kHitMaximize = 9;
inline constexpr int kHitLeft = 10;
inline constexpr int kHitRight = 11;
inline constexpr int kHitTop = 12;
inline constexpr int kHitTopLeft = 13;
inline constexpr int kHitTopRight = 14;
inline constexpr int kHitBottom = 15;
inline constexpr int kHitBottomLeft = 16;
inline constexpr int kHitBottomRight = 17;
inline constexpr int kHitClose = 20;
inline constexpr int kHitSettings = 22;

inline constexpr int kCaptionHeight = 31;
inline constexpr int kSideFrame = 2;
inline constexpr int kBottomFrame = 5;
inline constexpr int kSizingEdge = 3;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    // Right and bottom edges are outside, as for a Windows RECT.
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Size of a button strip bitmap (its state images side by side).
struct StripSize {
    int width = 0;
    int height = 0;
};

struct CaptionButtonSet {
    bool close = false;     // the window had a system menu
    bool maximize = false;  // maximise box
    bool minimize = false;  // minimise box
    bool settings = false;  // a settings label is set
};

// Empty rectangles for absent buttons.
struct CaptionButtons {
    Rect close;
    Rect maximize;
    Rect minimize;
    Rect settings;
};

// Buttons laid out from the right edge: close (half its strip wide), maximise and minimise (a third
// of their strips), then the settings button.
CaptionButtons LayoutCaptionButtons(int windowWidth, const CaptionButtonSet& set, StripSize closeStrip,
                                    StripSize maximizeStrip, StripSize minimizeStrip);

struct FrameState {
    int width = 0;
    int height = 0;
    bool sizable = false;
    bool maximized = false;
    CaptionButtons buttons;
};

int FrameHitTest(const FrameState& frame, int x, int y);

// The client area inside a window rectangle (screen coordinates in, screen coordinates out).
Rect FrameClientRect(const Rect& window);

}  // namespace skin
