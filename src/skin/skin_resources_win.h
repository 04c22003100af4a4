#pragma once

// Where the skin's pictures come from: numbered bitmaps of the program's own resources (the frame
// and caption) and named bitmaps of the skin library "modulesres.dll" beside the program (button
// faces and bands). Missing frame bitmaps end the program; a missing library only leaves the named
// pictures out.

#include <windows.h>

#include <array>

#include "base/scoped_handle_win.h"
#include "skin/gdi_win.h"

namespace skin {

// The skin library's file name, narrow (code page 936) as the program keeps it.
inline constexpr char kSkinLibraryFile[] = "modulesres.dll";

// Slots of the frame bitmaps.
enum FrameSlot : int {
    kSlotClose = 0,
    kSlotMaximize = 1,
    kSlotMinimize = 2,
    kSlotRestore = 3,
    kSlotCaptionLeft = 6,
    kSlotCaptionMiddle = 7,
    kSlotCaptionRight = 8,
    kSlotLeft = 9,
    kSlotRight = 10,
    kSlotBottomLeft = 11,
    kSlotBottom = 12,
    kSlotBottomRight = 13,
    kFrameSlotCount = 14,
};
using FrameBitmaps = std::array<Bitmap, kFrameSlotCount>;

// Which of the optional caption strips a dialog loads (the CDialogX template argument).
inline constexpr unsigned kMaximizeStrips = 1;  // maximise and restore
inline constexpr unsigned kMinimizeStrip = 2;

// Loads bitmaps 232-240 into their slots, and the optional strips asked for. False when any of the
// nine is missing (the optional strips may be absent).
bool LoadFrameBitmaps(FrameBitmaps& slots, unsigned optionalStrips);

// The error box "资源文件不全, 请重新下载" without owner, then the end of the process with exit
// code 1.
[[noreturn]] void FailMissingSkin();

// The start-up check of the program: the frame bitmaps are all there, else FailMissingSkin.
void EnsureProgramSkin();

// The skin library, loaded for the life of the object.
class SkinLibrary {
  public:
    SkinLibrary();
    SkinLibrary(const SkinLibrary&) = delete;
    SkinLibrary& operator=(const SkinLibrary&) = delete;

    HMODULE Handle() const { return module_.Get(); }
    // A named bitmap ("IDB_BITMAP_BTN", ...) the caller owns; null when the library or the bitmap
    // is missing.
    HBITMAP LoadNamedBitmap(const wchar_t* name) const;
    // A numbered icon of the library at the given size; null when missing.
    HICON LoadIconResource(int id, int size) const;

  private:
    base::ScopedModule module_;
};

}  // namespace skin
