#pragma once

// Sizes of the plugin protocol's field encodings. Every integer is little-endian and unaligned.

#include <cstddef>
#include <cstdint>
#include <span>

namespace ipc {

using Bytes = std::span<const std::uint8_t>;

// length u32, command id u32, version u8.
inline constexpr std::size_t kHeaderSize = 9;
inline constexpr std::uint8_t kProtocolVersion = 1;

// Eight u16 fields, as a Windows SYSTEMTIME.
inline constexpr std::size_t kSystemTimeSize = 16;

// The name and path fields of the process list push: 260 UTF-16 units, of which the last is always NUL.
inline constexpr std::size_t kFixedTextSize = 520;
inline constexpr std::size_t kFixedTextMaxChars = 259;

}  // namespace ipc
