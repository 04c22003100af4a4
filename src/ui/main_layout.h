#pragma once

// The main window's layout and status header, apart from the window code: the pixel rectangles of its
// controls, which of the header's three cases applies, and the header's texts.

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// Pixel rectangles in the client area: x, y, width, height.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    friend bool operator==(const Box&, const Box&) = default;
};

inline constexpr int kMainWidth = 554;
inline constexpr int kMainHeight = 567;

inline constexpr Box kStateIconBox{22, 27, 30, 32};
inline constexpr Box kDescriptionBox{64, 27, 400, 16};
inline constexpr Box kLeftFigureBox{64, 47, 180, 16};
inline constexpr Box kRightFigureBox{254, 47, 180, 16};
inline constexpr Box kTrafficTabBox{42, 73, 85, 28};
inline constexpr Box kAlarmTabBox{127, 73, 85, 28};
inline constexpr Box kPageFrameBox{10, 101, 522, 375};
// Where a page is made, before the layout moves it into the frame.
inline constexpr Box kPageCreateBox{0, 0, 520, 373};

inline constexpr int kDescriptionFontHeight = 14;
inline constexpr int kFigureFontHeight = 12;
inline constexpr int kTabFontHeight = 13;
// One image of a tab's bitmap strip (two images: normal, then selected or hovered).
inline constexpr int kTabImageWidth = 85;

// A page fills the frame but for its one-pixel border.
Box PageBox(const Box& frame);

// The tab of page 0 or 1 (anything else: page 0's).
const Box& TabBox(int page);

// The line along the tabs' bottom edge, open under the active tab: from the window's left edge to the
// tab, and from the tab to the window's right edge. Each segment runs from `fromX` to `toX` at `y`.
struct LineSegment {
    int fromX = 0;
    int toX = 0;
    int y = 0;
    friend bool operator==(const LineSegment&, const LineSegment&) = default;
};
struct TabLine {
    LineSegment left;
    LineSegment right;
};
TabLine TabLineFor(int activePage, int clientWidth);

// The status header, refreshed once a second.
enum class HeaderCase { kNotAccelerating, kAbnormal, kMonitoring };

struct HeaderChoice {
    HeaderCase headerCase = HeaderCase::kNotAccelerating;
    std::u16string_view description;
    std::u16string_view leftLabel;
    int leftQuantity = 0;
    std::u16string_view rightLabel;
    int rightQuantity = 0;
    bool rates = false;         // both figures are rates (RateText) rather than totals (VolumeText)
    bool abnormalIcon = false;  // the abnormal state picture rather than the normal one
};

// Any non-zero acceleration state counts as accelerating; the alarm flag matters only then.
HeaderChoice ChooseHeader(std::uint32_t accelerationState, bool hasUnhandledAlarm);

// A figure under its label, as the header shows it.
std::u16string HeaderFigure(std::u16string_view label, std::u16string_view figure);

}  // namespace ui
