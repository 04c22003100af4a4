#include "format/figure_compare.h"

#include <gtest/gtest.h>

#include <string_view>

#include "base/text.h"

namespace {

struct Case {
    std::u16string_view a;
    std::u16string_view b;
    int expected;  // CompareXTexts(a, b)
};

// Units rank before numbers; equal figures and figures within 0.01 of each other are "less" both ways.
TEST(FigureCompare, RatesByUnitThenNumber) {
    const Case cases[] = {
        {u"999bps", u"1.00kbps", -1},
        {u"1.00kbps", u"999bps", 1},
        {u"999.99kbps", u"1.00mbps", -1},
        {u"1.00gbps", u"999.99mbps", 1},
        {u"2.50mbps", u"10.00mbps", -1},
        {u"10.00mbps", u"2.50mbps", 1},
        {u"0bps", u"0bps", -1},
        {u"1.005kbps", u"1.00kbps", -1},
        {u"1.02kbps", u"1.00kbps", 1},
        {u"", u"0bps", -1},
        {u"0bps", u"junk", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format::CompareRateTexts(c.a, c.b), c.expected)
            << base::Utf16ToUtf8(c.a) << " vs " << base::Utf16ToUtf8(c.b);
    }
}

TEST(FigureCompare, VolumesRankTerabitsAboveGigabits) {
    const Case cases[] = {
        {u"992b", u"1.00kb", -1},    {u"1.00mb", u"999.99kb", 1},  {u"1000.00mb", u"1.00gb", -1},
        {u"1.00Tb", u"999.99gb", 1}, {u"999.99gb", u"1.00Tb", -1}, {u"1.00tb", u"2.00gb", 1},
        {u"1.00Tb", u"1.00Tb", -1},  {u"3.00Tb", u"2.00Tb", 1},    {u"12.50mb", u"12.5mb", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format::CompareVolumeTexts(c.a, c.b), c.expected)
            << base::Utf16ToUtf8(c.a) << " vs " << base::Utf16ToUtf8(c.b);
    }
}

TEST(FigureCompare, KeysAreAStrictOrder) {
    EXPECT_EQ(format::RateTextKey(u"12.50mbps"), (format::FigureKey{2, 12.5}));
    EXPECT_EQ(format::VolumeTextKey(u"1.00Tb"), (format::FigureKey{4, 1.0}));
    EXPECT_EQ(format::VolumeTextKey(u"5 parsecs").unitRank, -1);
    EXPECT_FALSE(format::RateTextKey(u"0bps") < format::RateTextKey(u"0bps"));
    EXPECT_LT(format::RateTextKey(u"9.99kbps"), format::RateTextKey(u"1.00mbps"));
}

}  // namespace
