#include "base/profile_value.h"

namespace base {
namespace {

std::u16string_view StripQuotes(std::u16string_view text) {
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'z') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'Z') {
        return c - u'A' + 10;
    }
    return -1;
}

}  // namespace

std::u16string ProfileStringResult(std::optional<std::u16string_view> value, std::u16string_view defaultValue,
                                   std::size_t capacity) {
    std::u16string_view text;
    if (value) {
        text = *value;
    } else {
        // Trailing blanks of the default are dropped, as the documentation of the Windows call says.
        text = defaultValue;
        while (!text.empty() && text.back() == u' ') {
            text.remove_suffix(1);
        }
    }
    text = StripQuotes(text);
    if (capacity == 0) {
        return {};
    }
    return std::u16string(text.substr(0, capacity - 1));
}

std::uint32_t ProfileIntResult(std::optional<std::u16string_view> value, std::int32_t defaultValue) {
    if (!value) {
        return static_cast<std::uint32_t>(defaultValue);
    }
    const std::u16string_view text = StripQuotes(*value);
    if (text.empty()) {
        return static_cast<std::uint32_t>(defaultValue);
    }
    return ParseProfileInteger(text);
}

std::uint32_t ParseProfileInteger(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] <= u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == u'0') {
        // Only the lower-case prefixes count, as in the system's string-to-integer conversion.
        switch (text[i + 1]) {
            case u'x':
                base = 16;
                break;
            case u'o':
                base = 8;
                break;
            case u'b':
                base = 2;
                break;
            default:
                break;
        }
        if (base != 10) {
            i += 2;
        }
    }
    std::uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit < 0 || static_cast<std::uint32_t>(digit) >= base) {
            break;
        }
        total = total * base + static_cast<std::uint32_t>(digit);
    }
    return negative ? 0u - total : total;
}

}  // namespace base
