#include "format/figure_compare.h"

#include <gtest/gtest.h>

#include <string_view>

#include "base/text.h"

namespace {

// Units rank before numbers; equal figures and figures within 0.01 of each other are "less" both ways.
TEST(FigureCompare, RatesAndVolumesByUnitThenNumber) {
    const struct {
        bool volume;
        std::u16string_view a, b;
        int expected;  // CompareRateTexts or CompareVolumeTexts (a, b)
    } cases[] = {
        {false, u"999bps", u"1.00kbps", -1},
        {false, u"999.99kbps", u"1.00mbps", -1},
        {false, u"1.00gbps", u"999.99mbps", 1},
        {false, u"1.005kbps", u"1.00kbps", -1},
        {false, u"1.02kbps", u"1.00kbps", 1},
        {false, u"0bps", u"junk", 1},
        // Volumes: "tb" ranks with "Tb", above "gb".
        {true, u"992b", u"1.00kb", -1},
        {true, u"1.00mb", u"999.99kb", 1},
        {true, u"1000.00mb", u"1.00gb", -1},
        {true, u"1.00Tb", u"999.99gb", 1},
        {true, u"1.00tb", u"2.00gb", 1},
        {true, u"12.50mb", u"12.5mb", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.volume ? format::CompareVolumeTexts(c.a, c.b) : format::CompareRateTexts(c.a, c.b),
                  c.expected)
            << base::Utf16ToUtf8(c.a) << " vs " << base::Utf16ToUtf8(c.b);
    }
}

}  // namespace
