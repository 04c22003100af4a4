#include "format/figure_compare.h"

#include <array>
#include <charconv>
#include <span>

namespace format {
namespace {

struct Unit {
    std::u16string_view text;
    int rank;
};

// Splits "12.50mbps" into 12.5 and the rank of its unit.
FigureKey KeyOf(std::u16string_view text, std::span<const Unit> units) {
    // The figures are short ASCII; a longer number is cut, which only blurs the order of nonsense.
    std::array<char, 32> digits{};
    std::size_t length = 0;
    while (length < text.size() && length < digits.size() &&
           ((text[length] >= u'0' && text[length] <= u'9') || text[length] == u'.')) {
        digits[length] = static_cast<char>(text[length]);
        ++length;
    }
    FigureKey key;
    std::from_chars(digits.data(), digits.data() + length, key.number);
    const std::u16string_view unit = text.substr(length);
    for (const Unit& u : units) {
        if (unit == u.text) {
            key.unitRank = u.rank;
        }
    }
    return key;
}

int Compare(const FigureKey& a, const FigureKey& b) {
    if (a.unitRank != b.unitRank) {
        return a.unitRank < b.unitRank ? -1 : 1;
    }
    return a.number - b.number < 0.01 ? -1 : 1;
}

constexpr Unit kRateUnits[] = {{u"bps", 0}, {u"kbps", 1}, {u"mbps", 2}, {u"gbps", 3}};
constexpr Unit kVolumeUnits[] = {{u"b", 0}, {u"kb", 1}, {u"mb", 2}, {u"gb", 3}, {u"Tb", 4}, {u"tb", 4}};

}  // namespace

FigureKey RateTextKey(std::u16string_view text) {
    return KeyOf(text, kRateUnits);
}

FigureKey VolumeTextKey(std::u16string_view text) {
    return KeyOf(text, kVolumeUnits);
}

int CompareRateTexts(std::u16string_view a, std::u16string_view b) {
    return Compare(RateTextKey(a), RateTextKey(b));
}

int CompareVolumeTexts(std::u16string_view a, std::u16string_view b) {
    return Compare(VolumeTextKey(a), VolumeTextKey(b));
}

}  // namespace format
