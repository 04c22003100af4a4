// The Windows monitor, started by the accelerator as "HOST.exe \\.\pipe\NAME".

#include <windows.h>

#include <objbase.h>

#include <cwchar>
#include <string>

#include "app/monitor_program.h"
#include "base/module_path.h"
#include "base/scoped_handle_win.h"
#include "base/wide_win.h"
#include "skin/skin_resources_win.h"
#include "ui/common_controls_win.h"

namespace {

constexpr char16_t kCrashDumpLibrary[] = u"ZVDump.dll";
constexpr char kCrashDumpExport[] = "InitZVDumpEx";
constexpr wchar_t kCrashDumpTag[] = L"2012kvt";

using InitCrashDump = int(__cdecl*)(const wchar_t* tag, int length);

// The optional crash-dump library beside the program, called once; it stays loaded for good.
void HookCrashDump() {
    const std::u16string libraryPath = base::ProgramPath(kCrashDumpLibrary);
    if (libraryPath.empty()) {
        return;
    }
    base::ScopedModule library(::LoadLibraryW(base::Wide(libraryPath)));
    if (!library) {
        return;
    }
    auto init = reinterpret_cast<InitCrashDump>(
        reinterpret_cast<void*>(::GetProcAddress(library.Get(), kCrashDumpExport)));
    if (init == nullptr) {
        return;
    }
    init(kCrashDumpTag, static_cast<int>(std::wcslen(kCrashDumpTag)));
    // The hook it installed lives in the library: never unloaded.
    static_cast<void>(library.Release());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ui::RegisterCommonControls();
    HookCrashDump();
    const int result = app::RunMonitorProgram(base::FromWide(commandLine != nullptr ? commandLine : L""),
                                              skin::EnsureProgramSkin);
    ::CoUninitialize();
    return result;
}
