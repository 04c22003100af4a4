#pragma once

// Private-profile (INI) file access with the observable behaviour of the Windows functions
// GetPrivateProfileStringW, GetPrivateProfileIntW and WritePrivateProfileStringW. The Windows build
// calls those functions; the Linux build has its own reader and writer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// The value of key in section, or defaultValue when the key is missing. A value longer than the
// buffer is cut to capacity - 1 characters, as a buffer of `capacity` wide characters holds.
std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue, std::size_t capacity, std::u16string_view path);

// The integer value of key: optional blanks and sign, then decimal digits (or 0x and hex digits), up to
// the first other character, wrapping like 32-bit arithmetic. defaultValue when the key is missing or
// its value empty; 0 for a value with no digits.
std::uint32_t ReadProfileInt(std::u16string_view section, std::u16string_view key, std::int32_t defaultValue,
                             std::u16string_view path);

// Sets key in section to value, adding the key or the section when missing. False when the file cannot
// be written (for instance a missing directory, which is never created).
bool WriteProfileString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        std::u16string_view path);

}  // namespace base
