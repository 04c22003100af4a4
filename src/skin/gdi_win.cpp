#include "skin/gdi_win.h"

#include "base/text.h"

namespace skin {

MemoryDc::MemoryDc(HDC reference, HBITMAP bitmap) : dc_(::CreateCompatibleDC(reference)) {
    if (dc_ && bitmap != nullptr) {
        previous_ = ::SelectObject(dc_.Get(), bitmap);
    }
}

MemoryDc::~MemoryDc() {
    // The bitmap leaves the DC before the DC goes, so its owner may delete it.
    if (previous_ != nullptr) {
        ::SelectObject(dc_.Get(), previous_);
    }
}

WindowDc::WindowDc(HWND window, bool wholeWindow)
    : window_(window), dc_(wholeWindow ? ::GetWindowDC(window) : ::GetDC(window)) {}

WindowDc::~WindowDc() {
    if (dc_ != nullptr) {
        ::ReleaseDC(window_, dc_);
    }
}

BitmapSize SizeOf(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(info), &info) == 0) {
        return {};
    }
    return {info.bmWidth, info.bmHeight};
}

void DrawBitmap(HDC target, HBITMAP bitmap, int x, int y) {
    const BitmapSize size = SizeOf(bitmap);
    DrawBitmapPart(target, bitmap, x, y, size.width, size.height, 0, 0);
}

void DrawBitmapPart(HDC target, HBITMAP bitmap, int x, int y, int w, int h, int sx, int sy) {
    if (bitmap == nullptr || w <= 0 || h <= 0) {
        return;
    }
    MemoryDc source(target, bitmap);
    ::BitBlt(target, x, y, w, h, source.Get(), sx, sy, SRCCOPY);
}

void TileHorizontally(HDC target, HBITMAP bitmap, int left, int right, int y) {
    const BitmapSize size = SizeOf(bitmap);
    if (size.width <= 0) {
        return;
    }
    MemoryDc source(target, bitmap);
    for (int x = left; x < right; x += size.width) {
        const int w = right - x < size.width ? right - x : size.width;
        ::BitBlt(target, x, y, w, size.height, source.Get(), 0, 0, SRCCOPY);
    }
}

void TileVertically(HDC target, HBITMAP bitmap, int x, int top, int bottom) {
    const BitmapSize size = SizeOf(bitmap);
    if (size.height <= 0) {
        return;
    }
    MemoryDc source(target, bitmap);
    for (int y = top; y < bottom; y += size.height) {
        const int h = bottom - y < size.height ? bottom - y : size.height;
        ::BitBlt(target, x, y, size.width, h, source.Get(), 0, 0, SRCCOPY);
    }
}

HBITMAP LoadProgramBitmap(int id) {
    return static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

std::wstring NarrowToWide(std::string_view narrow) {
    const std::u16string wide = base::GbkToUtf16(narrow);
    return std::wstring(wide.begin(), wide.end());
}

HFONT MakeFont(const wchar_t* face, int height, int weight, BYTE charset) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = charset;
    font.lfQuality = DEFAULT_QUALITY;
    ::lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}

}  // namespace skin
