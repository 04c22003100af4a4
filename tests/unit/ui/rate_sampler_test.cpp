// The floating strip's and the header's figures from the engine's four totals.

#include "ui/rate_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/local_time.h"

namespace {

using Totals = ui::TrafficTotals;  // local up, local down, accelerated up, accelerated down

// Stamps a known number of seconds apart, through the same local-time conversion the formatters use.
base::SystemTime At(std::int64_t seconds) {
    static const std::int64_t origin =
        base::LocalToCalendarSeconds(testing_support::LocalTime(2014, 3, 5, 9, 7, 2));
    return base::CalendarSecondsToLocal(origin + seconds);
}

TEST(TrafficQuantity, NineQuantitiesFromFourTotals) {
    const std::int64_t expected[] = {0, 400, 300, 100, 100, 70, 30, 300, 230, 70, 0};  // 0 and 10: none
    for (int i = 0; i <= 10; ++i) {
        bool valid = false;
        EXPECT_EQ(ui::TrafficQuantity(Totals{100, 300, 30, 70}, i, &valid), expected[i]) << i;
        EXPECT_EQ(valid, i >= 1 && i <= 9) << i;
    }
    bool valid = false;
    EXPECT_EQ(ui::TrafficQuantity(Totals{0, 100, 0, 500}, 8, &valid), -400);
}

TEST(RateText, SampleTimeIsSharedAndPreviousValueIsPerIndex) {
    ui::RateSampler sampler(At(0));
    const Totals first{0, 1'000, 0, 0};
    EXPECT_EQ(sampler.RateText(first, 1, At(5)),
              u"1.6kbps");  // the first sample spans 5 s since construction
    // An index outside the table reads 0 but still moves the sample time: index 2's whole total then
    // counts over one second, as any call in the same second does.
    EXPECT_EQ(sampler.RateText(first, 10, At(7)), u"0bps");
    EXPECT_EQ(sampler.RateText(first, 2, At(7)), u"8.0kbps");
    const Totals second{0, 1'250, 0, 0};
    EXPECT_EQ(sampler.RateText(second, 2, At(8)), u"2.0kbps");
    EXPECT_EQ(sampler.RateText(second, 1, At(8)), u"2.0kbps");
    EXPECT_EQ(sampler.RateText(second, 1, At(9)), u"0bps");  // unchanged totals give no rate
    // A negative difference shows zero and is remembered: the next delta is 500 - (-400) = 900 bytes.
    EXPECT_EQ(sampler.RateText(Totals{0, 100, 0, 500}, 8, At(10)), u"0bps");
    EXPECT_EQ(sampler.RateText(Totals{0, 1'000, 0, 500}, 8, At(11)), u"7.2kbps");
}

TEST(VolumeText, TrimmedVolumeOrZero) {
    const std::tuple<Totals, int, std::u16string_view> cases[] = {
        {{500, 1'000, 0, 0}, 1, u"12kb"}, {{0, 187'500, 0, 0}, 2, u"1.5mb"},
        {{0, 0, 100, 0}, 4, u"800b"},     {{0, 187'600, 0, 100}, 8, u"1.5mb"},
        {{0, 100, 0, 500}, 8, u"0b"},  // accelerated above local
        {{1, 1, 1, 1}, 0, u"0b"},
    };
    for (const auto& [totals, index, expected] : cases) {
        EXPECT_EQ(ui::RateSampler::VolumeText(totals, index), expected) << index;
    }
}

}  // namespace
