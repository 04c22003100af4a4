#pragma once

// Small GDI owners and drawing steps shared by the skin: every bitmap, font, brush, region and memory
// DC the skin makes is released by one of these.

#include <windows.h>

#include <string>
#include <string_view>

#include "base/scoped_handle_win.h"

namespace skin {

using Bitmap = base::ScopedGdiObject<HBITMAP>;
using Font = base::ScopedGdiObject<HFONT>;
using Brush = base::ScopedGdiObject<HBRUSH>;
using Region = base::ScopedGdiObject<HRGN>;

// A memory DC compatible with `reference`, with `bitmap` selected while it lives.
class MemoryDc {
  public:
    MemoryDc(HDC reference, HBITMAP bitmap);
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc();
    HDC Get() const { return dc_.Get(); }

  private:
    base::ScopedMemoryDc dc_;
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
