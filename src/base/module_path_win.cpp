#include <windows.h>

#include "base/module_path.h"
#include "base/wide_win.h"

namespace base {

const char16_t kPathSeparator = u'\\';

std::u16string ModuleFileName() {
    // The program reads its module name into 512 wide characters; a longer path is cut like that.
    wchar_t buffer[512];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, 512);
    return FromWide(buffer, n);
}

}  // namespace base
