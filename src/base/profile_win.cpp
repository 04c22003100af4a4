#include <windows.h>

#include <algorithm>
#include <limits>

#include "base/profile.h"
#include "base/wide_win.h"

namespace base {

std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultValue, std::size_t capacity,
                             std::u16string_view path) {
    if (capacity == 0) {
        return {};
    }
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(capacity, std::numeric_limits<DWORD>::max()));
    std::u16string buffer(size, u'\0');
    const DWORD n = GetPrivateProfileStringW(Wide(std::u16string(section)), Wide(std::u16string(key)),
                                             Wide(std::u16string(defaultValue)), Wide(buffer.data()), size,
                                             Wide(std::u16string(path)));
    buffer.resize(std::min<std::size_t>(n, size - 1));
    return buffer;
}

std::uint32_t ReadIniInt(std::u16string_view section, std::u16string_view key, std::int32_t defaultValue,
                         std::u16string_view path) {
    return GetPrivateProfileIntW(Wide(std::u16string(section)), Wide(std::u16string(key)), defaultValue,
                                 Wide(std::u16string(path)));
}

bool WriteIniString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                    std::u16string_view path) {
    return WritePrivateProfileStringW(Wide(std::u16string(section)), Wide(std::u16string(key)),
                                      Wide(std::u16string(value)), Wide(std::u16string(path))) != FALSE;
}

}  // namespace base
