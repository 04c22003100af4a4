#pragma once

// The order of the figure texts the formatters print: a rate or volume text is its leading number and
// its unit, and the unit counts first. Used by the process list's column sort and by the console.

#include <compare>
#include <string_view>

namespace format {

// A figure text as the sort sees it. The rank of an unknown unit is -1, below every known one.
struct FigureKey {
    int unitRank = -1;
    double number = 0;
    friend std::partial_ordering operator<=>(const FigureKey&, const FigureKey&) = default;
};

// Rates: "bps" < "kbps" < "mbps" < "gbps".
FigureKey RateTextKey(std::u16string_view text);
// Volumes: "b" < "kb" < "mb" < "gb" < "Tb" (FormatVolumeTb's rung above the gigabits, where a user
// looks for the biggest figures; "tb" counts the same).
FigureKey VolumeTextKey(std::u16string_view text);

// The list's comparison of two texts: different units by their rank, equal units by the number, where
// a - b < 0.01 gives -1 and anything else 1. Never 0: equal figures are "less" in both directions, so
// this is no strict order; sort by the keys where one is needed.
int CompareRateTexts(std::u16string_view a, std::u16string_view b);
int CompareVolumeTexts(std::u16string_view a, std::u16string_view b);

}  // namespace format
