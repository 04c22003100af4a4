#include "format/value_format.h"

#include <cstdio>
#include <limits>

#include "base/text.h"
#include "format/number_text.h"

namespace format {

using format::detail::PrintText;
using format::detail::Single;

namespace {

constexpr std::uint64_t kKilo = 1000;
constexpr std::uint64_t kMega = 1000 * kKilo;
constexpr std::uint64_t kGiga = 1000 * kMega;
constexpr std::uint64_t kTera = 1000 * kGiga;

// Lower-case units count bits. Unsigned arithmetic: a total beyond 2^61 bytes wraps instead of failing.
std::uint64_t Bits(std::uint64_t bytes) {
    return bytes * 8u;
}

// Drops the zeros after the point that add nothing: "1.50" -> "1.5", "2.00" -> "2", "1.05" stays.
void TrimZeros(std::u16string& text) {
    const std::size_t point = text.find(u'.');
    if (point == std::u16string::npos || point + 2 >= text.size() || text[point + 2] != u'0') {
        return;
    }
    text.erase(point + 2, 1);
    if (text[point + 1] == u'0') {
        text.erase(point, 2);
    }
}

// The leading decimal integer of a text, read as the C run-time's atoi does: white space, an optional
// sign, digits; a value beyond 32 bits is held at the nearest limit.
std::int32_t LeadingInteger(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > kLimit) {
            magnitude = kLimit;
        }
    }
    if (negative) {
        return static_cast<std::int32_t>(-magnitude);
    }
    return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max()
                               : static_cast<std::int32_t>(magnitude);
}

// The speed texts are re-expressed in bits with 32-bit int arithmetic, which wraps on overflow.
std::int32_t TimesEightWrapped(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) * 8u);
}

}  // namespace

std::u16string FormatVolume(std::uint64_t bytes) {
    const std::uint64_t n = Bits(bytes);
    const double bits = static_cast<double>(n);
    if (n >= kGiga) {
        return PrintText("%.2fgb", Single(bits / 1e9));
    }
    if (n >= kMega) {
        return PrintText("%.2fmb", Single(bits / 1e6));
    }
    if (n >= kKilo) {
        return PrintText("%.2fkb", Single(bits / 1e3));
    }
    return PrintText("%.0fb", Single(bits));
}

std::u16string FormatVolumeTb(std::uint64_t bytes) {
    const std::uint64_t n = Bits(bytes);
    if (n >= kTera) {
        return PrintText("%.2fTb", Single(static_cast<double>(n) / 1e12));
    }
    return FormatVolume(bytes);
}

std::u16string FormatVolumeTrimmed(std::uint64_t bytes) {
    const std::uint64_t n = Bits(bytes);
    const double bits = static_cast<double>(n);
    std::u16string text;
    if (n >= kTera) {
        text = PrintText("%.2ftb", Single(bits / 1e12));
    } else if (n >= kGiga) {
        text = PrintText("%.2fgb", Single(bits / 1e9));
    } else if (n >= kMega) {
        text = PrintText("%.2fmb", Single(bits / 1e6));
    } else if (n >= kKilo) {
        text = PrintText("%.2fkb", Single(bits / 1e3));
    } else {
        text = PrintText("%db", static_cast<int>(n));
    }
    TrimZeros(text);
    return text;
}

std::u16string FormatBytesKB(std::uint64_t bytes) {
    const double value = static_cast<double>(bytes);
    std::u16string text;
    if (bytes >= kGiga) {
        text = PrintText("%.2fGB", Single(value / 1e9));
    } else if (bytes >= kMega) {
        text = PrintText("%.2fMB", Single(value / 1e6));
    } else {
        // Anything that moved at all reads at least 1KB.
        double kb = value / 1e3;
        if (kb < 1.001) {
            kb = 1.0;
        }
        text = PrintText("%.2fKB", Single(kb));
    }
    TrimZeros(text);
    return text;
}

std::u16string FormatBytes(std::uint64_t bytes) {
    const double value = static_cast<double>(bytes);
    if (bytes >= kGiga) {
        return PrintText("%.2fGB", Single(value / 1e9));
    }
    if (bytes >= kMega) {
        return PrintText("%.2fMB", Single(value / 1e6));
    }
    return PrintText("%.2fKB", Single(value / 1e3));
}

std::u16string ConvertSpeedText(std::u16string_view speedText) {
    if (speedText.size() < 4) {
        return std::u16string(speedText);
    }
    const std::u16string_view unit = speedText.substr(speedText.size() - 4);
    const std::int32_t n = TimesEightWrapped(LeadingInteger(speedText.substr(0, speedText.size() - 4)));
    const double scaled = Single(n / 1000.0);
    if (unit == u"KB/S") {
        return n >= 1000 ? PrintText("%.2fmbps", scaled) : PrintText("%dkbps", n);
    }
    if (unit == u"MB/S") {
        return n >= 1000 ? PrintText("%.2fgbps", scaled) : PrintText("%dmbps", n);
    }
    if (unit == u"GB/S") {
        return n >= 1000 ? PrintText("%.2ftbps", scaled) : PrintText("%dgbps", n);
    }
    return {};
}

std::u16string FormatDateTime(const base::SystemTime& time) {
    return PrintText("%u-%u-%u %02u:%02u:%02u", unsigned{time.year}, unsigned{time.month}, unsigned{time.day},
                     unsigned{time.hour}, unsigned{time.minute}, unsigned{time.second});
}

// Hours, minutes and seconds below 10 get a leading zero; the date's fields do not.
std::u16string FormatClock(const base::SystemTime& time) {
    return PrintText("%02u:%02u:%02u", unsigned{time.hour}, unsigned{time.minute}, unsigned{time.second});
}

std::u16string FormatClockCn(const base::SystemTime& time) {
    // At most 27 bytes of UTF-8 (three 5-digit fields), so the 32-byte buffer never cuts a character.
    char buffer[32];
    const int written = std::snprintf(buffer, sizeof buffer, "%u 时%u 分%u 秒", unsigned{time.hour},
                                      unsigned{time.minute}, unsigned{time.second});
    if (written <= 0) {
        return {};
    }
    return base::Utf8ToUtf16(std::string_view(buffer, static_cast<std::size_t>(written)));
}

}  // namespace format
