#include "skin/skin_resources_win.h"

#include <string>

#include "base/module_path.h"
#include "base/wide_win.h"
#include "res/resource_ids.h"

namespace skin {
namespace {

struct SlotSource {
    int slot;
    int bitmap;
};

constexpr SlotSource kRequired[] = {
    {kSlotClose, IDB_FRAME_CLOSE},           {kSlotCaptionLeft, IDB_CAPTION_LEFT},
    {kSlotCaptionMiddle, IDB_CAPTION_MIDDLE}, {kSlotCaptionRight, IDB_CAPTION_RIGHT},
    {kSlotLeft, IDB_FRAME_LEFT},             {kSlotRight, IDB_FRAME_RIGHT},
    {kSlotBottomLeft, IDB_FRAME_BOTTOM_LEFT}, {kSlotBottom, IDB_FRAME_BOTTOM},
    {kSlotBottomRight, IDB_FRAME_BOTTOM_RIGHT},
};

}  // namespace

bool LoadFrameBitmaps(FrameBitmaps& slots, unsigned optionalStrips) {
    bool complete = true;
    for (const SlotSource& source : kRequired) {
        slots[source.slot].Reset(LoadProgramBitmap(source.bitmap));
        complete = complete && static_cast<bool>(slots[source.slot]);
    }
    if ((optionalStrips & kMaximizeStrips) != 0) {
        slots[kSlotMaximize].Reset(LoadProgramBitmap(IDB_FRAME_MAXIMIZE));
        slots[kSlotRestore].Reset(LoadProgramBitmap(IDB_FRAME_RESTORE));
    }
    if ((optionalStrips & kMinimizeStrip) != 0) {
        slots[kSlotMinimize].Reset(LoadProgramBitmap(IDB_FRAME_MINIMIZE));
    }
    return complete;
}

void FailMissingSkin() {
    ::MessageBoxW(nullptr, L"资源文件不全, 请重新下载", L"错误", MB_OK | MB_ICONERROR);
    // At once: no other part of the program gets to run with the skin half loaded.
    ::TerminateProcess(::GetCurrentProcess(), 1);
    ::ExitProcess(1);
}

void EnsureProgramSkin() {
    FrameBitmaps slots;
    if (!LoadFrameBitmaps(slots, 0)) {
        FailMissingSkin();
    }
}

SkinLibrary::SkinLibrary() {
    const std::wstring name = NarrowToWide(kSkinLibraryFile);
    const std::u16string path = base::ProgramPath(std::u16string(name.begin(), name.end()));
    if (!path.empty()) {
        module_.Reset(::LoadLibraryW(base::Wide(path)));
    }
}

HBITMAP SkinLibrary::LoadNamedBitmap(const wchar_t* name) const {
    if (!module_) {
        return nullptr;
    }
    return static_cast<HBITMAP>(::LoadImageW(module_.Get(), name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

HICON SkinLibrary::LoadIconResource(int id, int size) const {
    if (!module_) {
        return nullptr;
    }
    return static_cast<HICON>(
        ::LoadImageW(module_.Get(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace skin
