#pragma once

// The icons of process rows, from the process's executable. The system's own processes (pids 0 and 4)
// have no file of their own and show svchost.exe's icon, as do executables that yield none.

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

namespace ui {

enum class IconSource {
    kExecutable,  // the file's own small icon, else its large one, else the shell's icon of it
    kShell,       // the shell's small icon of the file
};

// Adds the icon of the process to `icons`: its image index, or -1 when nothing could be added.
int AddProcessIcon(HIMAGELIST icons, std::uint32_t pid, const std::u16string& path, IconSource source);

}  // namespace ui
