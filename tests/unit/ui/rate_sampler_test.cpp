// The floating strip's and the header's figures from the engine's four totals.

#include "ui/rate_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/local_time.h"

namespace {

// Stamps a known number of seconds apart, through the same local-time conversion the formatters use.
base::SystemTime At(std::int64_t seconds) {
    static const std::int64_t origin =
        base::LocalToCalendarSeconds(testing_support::LocalTime(2014, 3, 5, 9, 7, 2));
    return base::CalendarSecondsToLocal(origin + seconds);
}

ui::TrafficTotals Totals(std::uint64_t localUp, std::uint64_t localDown, std::uint64_t accUp,
                         std::uint64_t accDown) {
    return {localUp, localDown, accUp, accDown};
}

TEST(TrafficQuantity, NineQuantitiesFromFourTotals) {
    const auto t = Totals(100, 300, 30, 70);
    const std::int64_t expected[] = {400, 300, 100, 100, 70, 30, 300, 230, 70};
    for (int i = 1; i <= 9; ++i) {
        bool valid = false;
        EXPECT_EQ(ui::TrafficQuantity(t, i, &valid), expected[i - 1]) << i;
        EXPECT_TRUE(valid) << i;
    }
    for (int i : {0, 10, -1}) {
        bool valid = true;
        EXPECT_EQ(ui::TrafficQuantity(t, i, &valid), 0);
        EXPECT_FALSE(valid) << i;
    }
    bool valid = false;
    EXPECT_EQ(ui::TrafficQuantity(Totals(0, 100, 0, 500), 8, &valid), -400);
}

TEST(RateText, SampleTimeIsSharedAndPreviousValueIsPerIndex) {
    ui::RateSampler sampler(At(0));
    const auto first = Totals(0, 1'000, 0, 0);
    EXPECT_EQ(sampler.RateText(first, 1, At(5)),
              u"1.6kbps");  // the first sample spans 5 s since construction
    // An index outside the table reads 0 but still moves the sample time: index 2's whole total then
    // counts over one second, as any call in the same second does.
    EXPECT_EQ(sampler.RateText(first, 10, At(7)), u"0bps");
    EXPECT_EQ(sampler.RateText(first, 0, At(7)), u"0bps");
    EXPECT_EQ(sampler.RateText(first, 2, At(7)), u"8.0kbps");
    const auto second = Totals(0, 1'250, 0, 0);
    EXPECT_EQ(sampler.RateText(second, 2, At(8)), u"2.0kbps");
    EXPECT_EQ(sampler.RateText(second, 1, At(8)), u"2.0kbps");
    EXPECT_EQ(sampler.RateText(second, 1, At(9)), u"0bps");  // unchanged totals give no rate
    EXPECT_EQ(sampler.RateText({}, 4, At(10)), u"0bps");     // nor does a missing engine
}

TEST(RateText, NegativeDifferenceShowsZeroAndIsRemembered) {
    ui::RateSampler sampler(At(0));
    EXPECT_EQ(sampler.RateText(Totals(0, 100, 0, 500), 8, At(1)), u"0bps");
    // The remembered -400 makes the next delta 500 - (-400) = 900 bytes.
    EXPECT_EQ(sampler.RateText(Totals(0, 1'000, 0, 500), 8, At(2)), u"7.2kbps");
}

TEST(VolumeText, TrimmedVolumeOrZero) {
    const std::tuple<ui::TrafficTotals, int, std::u16string_view> cases[] = {
        {Totals(500, 1'000, 0, 0), 1, u"12kb"}, {Totals(0, 187'500, 0, 0), 2, u"1.5mb"},
        {Totals(0, 0, 100, 0), 4, u"800b"},     {Totals(0, 187'600, 0, 100), 8, u"1.5mb"},
        {Totals(0, 100, 0, 500), 8, u"0b"},  // accelerated above local
        {Totals(0, 100, 0, 500), 7, u"0b"},     {Totals(1, 1, 1, 1), 0, u"0b"},
        {Totals(1, 1, 1, 1), 10, u"0b"},        {{}, 4, u"0b"},
    };
    for (const auto& [totals, index, expected] : cases) {
        EXPECT_EQ(ui::RateSampler::VolumeText(totals, index), expected) << index;
    }
}

}  // namespace
