#pragma once

// Small GDI owners and drawing steps shared by the skin: every bitmap, font, brush, region and memory
// DC the skin makes is released by one of these.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace skin {

// Owns one GDI object (bitmap, font, brush, pen, region).
template <typename T>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.object_, nullptr));
        }
        return *this;
    }
    ~GdiObject() { Reset(); }

    void Reset(T object = nullptr) {
        if (object_ != nullptr) {
            ::DeleteObject(object_);
        }
        object_ = object;
    }
    T Release() { return std::exchange(object_, nullptr); }
    T Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    T object_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Region = GdiObject<HRGN>;

// A memory DC compatible with `reference`, with `bitmap` selected while it lives.
class MemoryDc {
  public:
    MemoryDc(HDC reference, HBITMAP bitmap);
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc();
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// A window's DC (client or whole window), released with the object.
class WindowDc {
  public:
    WindowDc(HWND window, bool wholeWindow);
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc();
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

struct BitmapSize {
    int width = 0;
    int height = 0;
};
BitmapSize SizeOf(HBITMAP bitmap);

// Copies `bitmap` whole to (x, y).
void DrawBitmap(HDC target, HBITMAP bitmap, int x, int y);
// Copies the part of `bitmap` from (sx, sy) of size (w, h) to (x, y).
void DrawBitmapPart(HDC target, HBITMAP bitmap, int x, int y, int w, int h, int sx, int sy);
// Repeats `bitmap` from x = left up to x = right (the last copy cut), its top at y.
void TileHorizontally(HDC target, HBITMAP bitmap, int left, int right, int y);
// Repeats `bitmap` from y = top down to y = bottom (the last copy cut), its left at x.
void TileVertically(HDC target, HBITMAP bitmap, int x, int top, int bottom);

// A bitmap of the program's own resources, or null.
HBITMAP LoadProgramBitmap(int id);

// The program's narrow texts are in code page 936.
std::wstring NarrowToWide(std::string_view narrow);

// A font by face name, height in pixels (negative: character height), weight and character set.
HFONT MakeFont(const wchar_t* face, int height, int weight, BYTE charset = DEFAULT_CHARSET);

}  // namespace skin
