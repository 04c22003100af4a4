#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ui/rate_sampler.h"

namespace {

// Stamps a known number of seconds apart, through the same local-time conversion the formatters use.
base::SystemTime At(std::int64_t seconds) {
    base::SystemTime t;
    t.year = 2014;
    t.month = 3;
    t.day = 5;
    t.hour = 9;
    t.minute = 7;
    t.second = 2;
    return base::CalendarSecondsToLocal(base::LocalToCalendarSeconds(t) + seconds);
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

TEST(RateText, FirstSampleSpansTheTimeSinceConstruction) {
    ui::RateSampler sampler(At(0));
    EXPECT_EQ(sampler.RateText(Totals(0, 20'000, 0, 0), 2, At(10)), u"16kbps");
}

TEST(RateText, SampleTimeIsSharedAndPreviousValueIsPerIndex) {
    ui::RateSampler sampler(At(0));
    const auto first = Totals(0, 1'000, 0, 0);
    EXPECT_EQ(sampler.RateText(first, 1, At(5)), u"1.6kbps");
    // Same second as the call before: counts as one second, over index 2's whole total.
    EXPECT_EQ(sampler.RateText(first, 2, At(5)), u"8.0kbps");
    const auto second = Totals(0, 1'250, 0, 0);
    EXPECT_EQ(sampler.RateText(second, 2, At(6)), u"2.0kbps");
    EXPECT_EQ(sampler.RateText(second, 1, At(6)), u"2.0kbps");
    // Unchanged totals give no rate.
    EXPECT_EQ(sampler.RateText(second, 1, At(7)), u"0bps");
}

TEST(RateText, AnIndexOutsideTheTableStillMovesTheSampleTime) {
    ui::RateSampler sampler(At(0));
    const auto t = Totals(0, 1'000, 0, 0);
    EXPECT_EQ(sampler.RateText(t, 0, At(10)), u"0bps");
    EXPECT_EQ(sampler.RateText(t, 10, At(10)), u"0bps");
    EXPECT_EQ(sampler.RateText(t, 2, At(10)), u"8.0kbps");
}

TEST(RateText, NegativeDifferenceShowsZeroAndIsRemembered) {
    ui::RateSampler sampler(At(0));
    EXPECT_EQ(sampler.RateText(Totals(0, 100, 0, 500), 8, At(1)), u"0bps");
    // The remembered -400 makes the next delta 500 - (-400) = 900 bytes.
    EXPECT_EQ(sampler.RateText(Totals(0, 1'000, 0, 500), 8, At(2)), u"7.2kbps");
}

TEST(RateText, NoEngineReadsZero) {
    ui::RateSampler sampler(At(0));
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(sampler.RateText({}, i, At(3)), u"0bps") << i;
}

TEST(VolumeText, TrimmedVolumeOrZero) {
    const struct {
        ui::TrafficTotals totals;
        int index;
        std::u16string expected;
    } cases[] = {
        {Totals(500, 1'000, 0, 0), 1, u"12kb"}, {Totals(0, 187'500, 0, 0), 2, u"1.5mb"},
        {Totals(0, 0, 100, 0), 4, u"800b"},     {Totals(0, 187'600, 0, 100), 8, u"1.5mb"},
        {Totals(0, 100, 0, 500), 8, u"0b"},  // accelerated above local
        {Totals(0, 100, 0, 500), 7, u"0b"},     {Totals(1, 1, 1, 1), 0, u"0b"},
        {Totals(1, 1, 1, 1), 10, u"0b"},        {{}, 4, u"0b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::RateSampler::VolumeText(c.totals, c.index), c.expected) << c.index;
}

}  // namespace
