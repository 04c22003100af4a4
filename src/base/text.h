#pragma once

// Text inside the program is UTF-16 (std::u16string), as on the wire and in Win32. These conversions are
// used only at the edges: Linux paths (UTF-8), the traffic log and the accelerator's notices (GBK).

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

// Invalid UTF-8 sequences become U+FFFD; characters outside the BMP become surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Simplified Chinese code page 936 (GBK). A UTF-16 unit the code page lacks becomes '?', as the Windows
// converter does (a character outside the BMP gives two).
std::string Utf16ToGbk(std::u16string_view utf16);
// An invalid or incomplete byte sequence becomes U+FFFD for its first byte; decoding goes on after it.
std::u16string GbkToUtf16(std::string_view gbk);

// For ASCII-only texts such as numbers built with snprintf.
std::u16string AsciiToUtf16(std::string_view ascii);

// printf into a buffer of `capacity` UTF-16 units, as the program's fixed wide buffers do: the result
// holds at most capacity - 1 units and never ends inside a surrogate pair. The format and every %s
// argument are UTF-8.
std::u16string FormatText(std::size_t capacity, const char* utf8Format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace base
