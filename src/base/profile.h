#pragma once

// Private-profile (INI) file access with the observable behaviour of the Windows functions
// GetPrivateProfileStringW, GetPrivateProfileIntW and WritePrivateProfileStringW. The Windows build
// calls those functions; the Linux build has its own reader and writer (ini_document.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The names differ from the Win32 ones on purpose: <windows.h> defines WriteProfileString and friends
// as macros for the win.ini calls.

namespace base {

// The value of key in section, or defaultValue (without trailing spaces) when the key, the section or
// the file is missing. A value in a matching pair of quotes loses them. A value longer than the buffer
// is cut to capacity - 1 characters, as a buffer of `capacity` wide characters holds; the result's
// size is the count the Windows call returns.
std::u16string ReadIniString(std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultValue, std::size_t capacity,
                             std::u16string_view path);

// The integer value of key: optional blanks and sign, then decimal digits (or 0x and hex digits), up to
// the first other character, wrapping like 32-bit arithmetic. defaultValue when the key is missing or
// its value empty; 0 for a value with no digits.
std::uint32_t ReadIniInt(std::u16string_view section, std::u16string_view key, std::int32_t defaultValue,
                         std::u16string_view path);

// Sets key in section to value, adding the key or the section when missing; the rest of the file keeps
// its bytes. False when the file cannot be written (for instance a missing directory, which is never
// created); the OS error is left as the failing call set it.
bool WriteIniString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                    std::u16string_view path);

}  // namespace base
