#pragma once

// How a private-profile read turns a stored value (or the caller's default) into what the caller gets.
// Shared by the INI reader of the Linux build and its tests; the Windows build gets the same from the
// system.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// The string a read hands back: the stored value, or the default without its trailing spaces when the
// key is missing; a value enclosed in a matching pair of '"' or '\'' loses the pair; the result is cut to
// capacity - 1 units (nothing for a capacity of 0 or 1).
std::u16string ProfileStringResult(std::optional<std::u16string_view> value, std::u16string_view defaultValue,
                                   std::size_t capacity);

// The integer a read hands back: the default for a missing or empty value, else ParseProfileInteger of
// the value with its quotes removed.
std::uint32_t ProfileIntResult(std::optional<std::u16string_view> value, std::int32_t defaultValue);

// Leading characters up to ' ', one optional sign, then "0x" (hex), "0o" (octal), "0b" (binary) or
// decimal digits up to the first other character; the sum wraps modulo 2^32 and a '-' negates it. A
// text without digits gives 0.
std::uint32_t ParseProfileInteger(std::u16string_view text);

}  // namespace base
