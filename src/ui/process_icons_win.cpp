#include "ui/process_icons_win.h"

#include <shellapi.h>

#include <string>

#include "base/wide_win.h"
#include "ui/process_list_model.h"

namespace ui {
namespace {

HICON ShellSmallIcon(const wchar_t* path) {
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) == 0) {
        return nullptr;
    }
    return info.hIcon;
}

HICON ExecutableIcon(const wchar_t* path) {
    HICON largeIcon = nullptr;
    HICON smallIcon = nullptr;
    if (::ExtractIconExW(path, 0, &largeIcon, &smallIcon, 1) > 0) {
        if (smallIcon != nullptr) {
            if (largeIcon != nullptr) {
                ::DestroyIcon(largeIcon);
            }
            return smallIcon;
        }
        if (largeIcon != nullptr) {
            return largeIcon;
        }
    }
    return ShellSmallIcon(path);
}

HICON IconOf(const wchar_t* path, IconSource source) {
    return source == IconSource::kExecutable ? ExecutableIcon(path) : ShellSmallIcon(path);
}

std::wstring SystemHostPath() {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return L"";
    }
    return std::wstring(directory) + L"\\svchost.exe";
}

// Takes the icon: the image list keeps its own copy.
int AddIcon(HIMAGELIST icons, HICON icon) {
    if (icon == nullptr) {
        return -1;
    }
    const int index = ::ImageList_AddIcon(icons, icon);
    ::DestroyIcon(icon);
    return index;
}

}  // namespace

int AddProcessIcon(HIMAGELIST icons, std::uint32_t pid, const std::u16string& path, IconSource source) {
    if (icons == nullptr) {
        return -1;
    }
    if (!UsesSystemIcon(pid) && !path.empty()) {
        const int index = AddIcon(icons, IconOf(base::Wide(path), source));
        if (index >= 0) {
            return index;
        }
    }
    const std::wstring host = SystemHostPath();
    return host.empty() ? -1 : AddIcon(icons, IconOf(host.c_str(), source));
}

}  // namespace ui
