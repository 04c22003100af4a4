#pragma once

// The Windows handles the program owns, as ScopedHandle traits. Each Close keeps the thread's last
// error: a failure's GetLastError is often read after the cleanup of its path has run, and a close that
// fails (or succeeds and clears it) must not change what the failure reported.

#include <windows.h>
#include <winsock2.h>

#include <commctrl.h>

#include "base/scoped_handle.h"

namespace base {

// Runs one close call with GetLastError as it was before.
template <typename CloseCall>
void CloseKeepingLastError(CloseCall call) noexcept {
    const DWORD saved = ::GetLastError();
    call();
    ::SetLastError(saved);
}

// A kernel object whose opening call reports failure as null: events, threads, mutexes, processes,
// tokens.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept {
        CloseKeepingLastError([handle] { ::CloseHandle(handle); });
    }
};
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;

// A kernel object whose opening call reports failure as INVALID_HANDLE_VALUE: files and pipes
// (CreateFile, CreateNamedPipe), Toolhelp snapshots.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept {
        CloseKeepingLastError([handle] { ::CloseHandle(handle); });
    }
};
using ScopedFileHandle = ScopedHandle<FileHandleTraits>;

struct SocketTraits {
    using Handle = SOCKET;
    static constexpr Handle Invalid() noexcept { return INVALID_SOCKET; }
    static void Close(Handle socket) noexcept {
        CloseKeepingLastError([socket] { ::closesocket(socket); });
    }
};
using ScopedSocket = ScopedHandle<SocketTraits>;

// A GDI object: bitmap, font, brush, pen, region. It must not be selected into a DC when it closes.
template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle object) noexcept {
        CloseKeepingLastError([object] { ::DeleteObject(object); });
    }
};
template <typename T>
using ScopedGdiObject = ScopedHandle<GdiObjectTraits<T>>;

// A DC of CreateCompatibleDC (a window's DC is released to its window instead).
struct MemoryDcTraits {
    using Handle = HDC;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle dc) noexcept {
        CloseKeepingLastError([dc] { ::DeleteDC(dc); });
    }
};
using ScopedMemoryDc = ScopedHandle<MemoryDcTraits>;

// A menu that is no window's menu (a window destroys its own).
struct MenuTraits {
    using Handle = HMENU;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle menu) noexcept {
        CloseKeepingLastError([menu] { ::DestroyMenu(menu); });
    }
};
using ScopedMenu = ScopedHandle<MenuTraits>;

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle list) noexcept {
        CloseKeepingLastError([list] { ::ImageList_Destroy(list); });
    }
};
using ScopedImageList = ScopedHandle<ImageListTraits>;

// A library of LoadLibrary / LoadLibraryEx.
struct ModuleTraits {
    using Handle = HMODULE;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle module) noexcept {
        CloseKeepingLastError([module] { ::FreeLibrary(module); });
    }
};
using ScopedModule = ScopedHandle<ModuleTraits>;

// An icon of LoadImage (without LR_SHARED), ExtractIconEx or SHGetFileInfo.
struct IconTraits {
    using Handle = HICON;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle icon) noexcept {
        CloseKeepingLastError([icon] { ::DestroyIcon(icon); });
    }
};
using ScopedIcon = ScopedHandle<IconTraits>;

}  // namespace base
