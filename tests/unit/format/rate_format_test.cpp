#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "format/value_format.h"
#include "support/local_time.h"

namespace {

// Stamps a known number of seconds apart, built through the same local-time conversion the formatters
// use, so that no test depends on the clock.
base::SystemTime At(std::int64_t seconds) {
    static const std::int64_t epoch =
        base::LocalToCalendarSeconds(testing_support::LocalTime(2014, 3, 5, 9, 7, 2));
    return base::CalendarSecondsToLocal(epoch + seconds);
}

struct RateCase {
    std::int64_t bytes, seconds;
    std::u16string_view expected;
};

// FormatRateSeconds takes the interval FormatRate takes from its two stamps; the same second counts as
// one second.
TEST(FormatRate, PicksTheRungOnKilobitsPerSecond) {
    const RateCase cases[] = {
        {124, 1, u"992bps"},
        {125, 1, u"1.00kbps"},
        {124'999, 1, u"999.99kbps"},
        {124'999'999, 1, u"1000.00mbps"},  // 999 999.992 kbit/s stay on the megabit rung
        {125'000'000, 1, u"1.00gbps"},
        {250'000'000'000, 2, u"1000.00gbps"},
        {125'000, 10, u"100.00kbps"},
        // Half a bit per second is an exact tie: printf rounds it to even on every build.
        {1, 16, u"0bps"},
        {3, 16, u"2bps"},
        // 1.065 kbit/s: the nearest double would print 1.06, the nearest float prints 1.07.
        {2'130, 16, u"1.07kbps"},
        {100, 0, u"800bps"},
        {125'000, 0, u"1.00mbps"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytes << " in " << c.seconds);
        EXPECT_EQ(format::FormatRate(c.bytes, At(0), At(c.seconds)), c.expected);
        EXPECT_EQ(format::FormatRateSeconds(c.bytes, c.seconds), c.expected);
    }
    float kbps = -1.0f;
    EXPECT_EQ(format::FormatRate(100, At(0), At(0), &kbps), u"800bps");
    EXPECT_FLOAT_EQ(kbps, 0.8f);
    EXPECT_EQ(format::FormatRateSeconds(125'000, 1, &kbps), u"1.00mbps");
    EXPECT_EQ(kbps, 1000.0f);
}

TEST(FormatRate, NothingToRateGivesZero) {
    const base::SystemTime empty;
    // No bytes, fewer than none, or no older stamp.
    const std::pair<std::int64_t, base::SystemTime> cases[] = {{0, At(0)}, {-5000, At(0)}, {125'000, empty}};
    for (const auto& [bytes, older] : cases) {
        float kbps = -1.0f;
        EXPECT_EQ(format::FormatRate(bytes, older, At(1), &kbps), u"0bps") << bytes;
        EXPECT_EQ(kbps, 0.0f) << bytes;
        EXPECT_EQ(format::FormatRateCompact(bytes, older, At(1)), u"0bps") << bytes;
        std::u16string text = u"previous";
        EXPECT_EQ(format::ComputeSpeed(text, older, At(1), bytes), 0.0f);
        EXPECT_EQ(text, u"0.00KB/S");
    }
    EXPECT_EQ(format::FormatRate(125'000, empty, empty), u"0bps");
    float kbps = -1.0f;
    EXPECT_EQ(format::FormatRateSeconds(0, 5, &kbps), u"0bps");
    EXPECT_EQ(kbps, 0.0f);
    EXPECT_EQ(format::FormatRateSeconds(-1, 5), u"0bps");
    std::u16string text;
    EXPECT_EQ(format::ComputeSpeed(text, At(0), At(1), std::numeric_limits<std::int64_t>::min()), 0.0f);
}

// An empty newer stamp means now. The older stamp lies 100 000 s back and the deltas are chosen well
// inside their rungs, so that the second or two the test may take to run changes no printed digit.
TEST(FormatRate, EmptyNewerStampMeansNow) {
    const base::SystemTime older =
        base::CalendarSecondsToLocal(base::LocalToCalendarSeconds(base::LocalNow()) - 100'000);
    const base::SystemTime now;
    EXPECT_EQ(format::FormatRate(125'000'000, older, now), u"10.00kbps");
    EXPECT_EQ(format::FormatRateCompact(250'000'000, older, now), u"20kbps");
    std::u16string text;
    EXPECT_NEAR(format::ComputeSpeed(text, older, now, 100'000'000), 1.0f, 0.0001f);
    EXPECT_EQ(text, u"1.00KB/S");
}

// Below ten whole units of a rung one decimal, from ten none; the rung follows the whole kilobits.
TEST(FormatRateCompact, PicksTheRungOnWholeKilobitsPerSecond) {
    const RateCase cases[] = {
        {124, 1, u"992bps"},
        {1, 3, u"3bps"},
        {125, 1, u"1.0kbps"},
        {1'249, 1, u"10.0kbps"},  // 9.992 kbit/s: still below 10 whole kilobits, rounded up
        {1'250, 1, u"10kbps"},
        {124'999, 1, u"1000kbps"},
        {125'000, 1, u"1.0mbps"},
        {1'249'999, 1, u"10.0mbps"},
        {1'250'000, 1, u"10mbps"},
        {124'999'999, 1, u"1000mbps"},
        {125'000'000, 1, u"1.0gbps"},
        {1'249'999'999, 1, u"10.0gbps"},
        {1'250'000'000, 1, u"10gbps"},
        {1'000, 4, u"2.0kbps"},
        {1'000, 0, u"8.0kbps"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatRateCompact(c.bytes, At(0), At(c.seconds)), c.expected)
            << c.bytes << " in " << c.seconds;
    }
}

TEST(ComputeSpeed, PicksTheRungOnTheFloatSpeed) {
    const struct {
        std::int64_t bytes, seconds;
        std::u16string_view expected;
        float kbPerSecond;
    } cases[] = {
        {1, 1, u"0.00KB/S", 0.001f},
        {10'010, 1, u"10.01KB/S", 10.01f},
        {1'065, 1, u"1.07KB/S", 1.065f},  // the float nearest 1.065 lies above it
        {1'125, 1, u"1.12KB/S", 1.125f},  // an exact tie rounds to even
        {999'999, 1, u"1000.00KB/S", 999.999f},
        // 999.999975 KB/s becomes the float 1000 before the comparison, so this reads in MB/S.
        {39'999'999, 40, u"1.00MB/S", 1000.0f},
        {2'500'000, 2, u"1.25MB/S", 1250.0f},
        {1'000'000'000, 1, u"1.00GB/S", 1e6f},
        {5'000'000'000'000, 1, u"5000.00GB/S", 5e9f},
        {12'500, 0, u"12.50KB/S", 12.5f},
    };
    for (const auto& c : cases) {
        std::u16string text = u"previous";
        EXPECT_EQ(format::ComputeSpeed(text, At(0), At(c.seconds), c.bytes), c.kbPerSecond) << c.bytes;
        EXPECT_EQ(text, c.expected) << c.bytes;
    }
}

TEST(RateFormat, LargestDeltasFitInThirtyOneCharacters) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    EXPECT_LE(format::FormatRate(kMax, At(0), At(1)).size(), 31u);
    EXPECT_LE(format::FormatRateSeconds(kMax, 1).size(), 31u);
    EXPECT_LE(format::FormatRateCompact(kMax, At(0), At(1)).size(), 31u);
    std::u16string text;
    format::ComputeSpeed(text, At(0), At(1), kMax);
    EXPECT_LE(text.size(), 31u);
}

}  // namespace
