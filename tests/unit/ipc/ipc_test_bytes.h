#pragma once

// Byte helpers for the protocol tests: messages are written as hex, with spaces for readability.

#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ipc_test {

using Message = std::vector<std::uint8_t>;

inline Message Hex(std::string_view text) {
    Message bytes;
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) && (digits += c).size() == 2) {
            bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::exchange(digits, {}), nullptr, 16)));
        }
    }
    return bytes;
}

inline std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += {kDigits[b >> 4], kDigits[b & 15]};
    }
    return text;
}

// `count` zero bytes as hex.
inline std::string Z(std::size_t count) {
    return std::string(2 * count, '0');
}

// Overwrites a little-endian field of `width` bytes.
inline void Poke(Message& message, std::size_t offset, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        message.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// The message cut or padded with zeros to `size` bytes, its length field set to match (when it fits).
inline Message Resized(Message message, std::size_t size) {
    message.resize(size, 0);
    if (size >= 4) {
        Poke(message, 0, size, 4);
    }
    return message;
}

// A message of id, version 1, with the body given in hex pieces and a length field that matches.
inline Message Framed(std::uint32_t id, std::initializer_list<std::string_view> body) {
    Message m(9, 0);
    Poke(m, 4, id, 4);
    m[8] = 1;
    for (std::string_view piece : body) {
        const Message bytes = Hex(piece);
        m.insert(m.end(), bytes.begin(), bytes.end());
    }
    return Resized(m, m.size());
}

}  // namespace ipc_test
