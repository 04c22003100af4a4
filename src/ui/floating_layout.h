#pragma once

// Placement and text of the floating speed strip, apart from the window code.

#include <string>
#include <string_view>

namespace ui {

inline constexpr int kFloatingWidth = 170;
inline constexpr int kFloatingHeight = 25;
// Corner ellipse of the strip's rounded region.
inline constexpr int kFloatingCorner = 9;
inline constexpr int kFloatingFontHeight = 12;
// The text line spans the strip's height between the logo and the status button.
inline constexpr int kFloatingTextX = 35;
inline constexpr int kFloatingTextWidth = 113;
inline constexpr int kStatusButtonX = 148;
inline constexpr int kStatusButtonY = 3;
inline constexpr int kStatusButtonWidth = 17;
inline constexpr int kStatusButtonHeight = 19;
// One image of the status button's bitmaps.
inline constexpr int kStatusImageWidth = 17;

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Near the top right corner of the screen, clear of the edge.
Point FloatingDefaultPosition(int screenWidth);
// The stored position, or the default when it lies off the screen (also the -1, -1 of "no position").
Point FloatingInitialPosition(int storedX, int storedY, int screenWidth, int screenHeight);

// Where the acceleration-state pop-up goes: the starting rectangle pulled back inside the monitor.
Rect ClampAccStatePopup(Rect start, const Rect& monitor);

// Which figure the strip shows and under which label.
struct TextLineChoice {
    std::u16string_view label;
    int quantity = 0;
    bool rate = false;  // a rate (RateText) rather than a volume (VolumeText)
};
TextLineChoice ChooseTextLine(int accelerationState, bool hasUnhandledAlarm);
std::u16string TextLine(const TextLineChoice& choice, std::u16string_view figure);

}  // namespace ui
