#pragma once

// The formatters' shared printing step: a figure is printed into a fixed 32-character buffer (so a text
// never exceeds 31 characters) and widened into the result, the only allocation.

#include <string>

namespace format::detail {

// printf of ASCII-only formats and arguments into a 32-character buffer, widened to UTF-16.
std::u16string PrintText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Every printed figure goes through single precision first, as the figures are kept as floats.
inline double Single(double value) {
    return static_cast<float>(value);
}

}  // namespace format::detail
