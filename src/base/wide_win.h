#pragma once

// std::u16string and wchar_t share one representation on Windows: views for Win32 calls.

#include <string>
#include <string_view>

namespace base {

inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline std::u16string FromWide(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// Narrow text in the system's ANSI code page, as the IP helper functions and winsock report names.
std::u16string AnsiToUtf16(std::string_view ansi);

}  // namespace base
