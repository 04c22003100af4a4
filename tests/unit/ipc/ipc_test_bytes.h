#pragma once

// Byte helpers for the protocol tests: golden messages are written as hex, with spaces for readability.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ipc_test {

inline std::vector<std::uint8_t> Hex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        int nibble = -1;
        if (c >= '0' && c <= '9') {
            nibble = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            nibble = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            nibble = c - 'A' + 10;
        } else {
            continue;
        }
        if (high < 0) {
            high = nibble;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | nibble));
            high = -1;
        }
    }
    return bytes;
}

inline std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0xF]);
    }
    return text;
}

// The message cut or padded with zeros to `size` bytes, its length field set to match (when it fits).
inline std::vector<std::uint8_t> Resized(std::vector<std::uint8_t> message, std::size_t size) {
    message.resize(size, 0);
    if (size >= 4) {
        for (int i = 0; i < 4; ++i) {
            message[i] = static_cast<std::uint8_t>(size >> (8 * i));
        }
    }
    return message;
}

// Overwrites a little-endian field of `width` bytes.
inline void Poke(std::vector<std::uint8_t>& message, std::size_t offset, std::uint64_t value,
                 std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        message.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace ipc_test
