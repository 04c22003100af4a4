#include "alarm/unicode_text.h"

#include <cstdint>

namespace alarming {
namespace {

constexpr char16_t kCtrlZ = 0x1A;

// The length of the valid UTF-8 sequence at the start of `s` and its code point; 0 when invalid or
// incomplete.
std::size_t DecodeUtf8Sequence(std::string_view s, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;  // no encoded surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) {
            return 0;
        }
        code = (code << 6) | (b & 0x3F);
    }
    return length;
}

std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8Sequence(bytes, code);
        if (length == 0) {
            break;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
        bytes.remove_prefix(length);
    }
    return text;
}

std::u16string DecodeUtf16Le(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return text;
}

// CR LF to LF, and nothing after a Ctrl-Z.
std::u16string TextMode(const std::u16string& raw) {
    std::u16string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size() && raw[i] != kCtrlZ; ++i) {
        if (raw[i] == u'\r' && i + 1 < raw.size() && raw[i + 1] == u'\n') {
            continue;
        }
        text.push_back(raw[i]);
    }
    return text;
}

}  // namespace

std::u16string DecodeUnicodeText(std::string_view bytes) {
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    constexpr std::string_view kUtf16Mark = "\xFF\xFE";
    if (bytes.starts_with(kUtf8Mark)) {
        return TextMode(DecodeUtf8(bytes.substr(kUtf8Mark.size())));
    }
    if (bytes.starts_with(kUtf16Mark)) {
        bytes.remove_prefix(kUtf16Mark.size());
    }
    return TextMode(DecodeUtf16Le(bytes));
}

void ForEachTextLine(std::string_view bytes, const std::function<void(std::u16string_view)>& piece) {
    const std::u16string text = DecodeUnicodeText(bytes);
    const std::u16string_view rest(text);
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t length = 0;
        while (length < kLineReadLimit && start + length < rest.size()) {
            if (rest[start + length++] == u'\n') {
                break;
            }
        }
        const std::u16string_view read = rest.substr(start, length);
        piece(read.substr(0, read.find(u'\0')));
        start += length;
    }
}

}  // namespace alarming
