#pragma once

// The skinned message box's choices and geometry, kept apart from the window code so that they can be
// checked without a desktop. Styles are the standard MB_ flag values.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace skin {

inline constexpr std::uint32_t kMbHelp = 0x4000;
inline constexpr std::uint32_t kMbSetForeground = 0x10000;
inline constexpr std::uint32_t kMbRightAlign = 0x80000;

inline constexpr int kMbButtonWidth = 70;
inline constexpr int kMbButtonHeight = 27;
inline constexpr int kMbButtonPitch = 80;
inline constexpr int kMbIconGap = 16;
inline constexpr int kMbTextWidth = 240;

struct Size {
    int width = 0;
    int height = 0;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Command identifiers of the buttons, left to right (help appended last when asked for).
std::vector<int> MessageBoxButtonIds(std::uint32_t style);
// The caption of a button identifier; empty for an unknown one.
std::u16string_view MessageBoxButtonText(int id);
// Index into the button row of the default button; it applies only when it is inside the row.
std::size_t MessageBoxDefaultIndex(std::uint32_t style);
// Resource number of the icon bitmap, 0 for none.
int MessageBoxIconBitmap(std::uint32_t style);

// The text block's size from its single-line measurement: long texts wrap at 240 pixels.
Size MessageBoxTextSize(Size measured, int lineHeight);

struct MessageBoxLayout {
    Size client;
    Point icon;
    Point text;
    std::vector<Point> buttons;  // top-left corners, each button 70 x 27
};

// Client size and positions from the icon's size (0 x 0 without one), the text block and the count
// of buttons.
MessageBoxLayout LayoutMessageBox(Size icon, Size text, std::size_t buttonCount);

// The system message box takes over when the skinned one could not be built or its run gave -1 or 0.
bool UseSystemMessageBox(bool built, std::intptr_t runResult);

}  // namespace skin
