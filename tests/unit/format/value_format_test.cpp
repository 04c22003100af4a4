#include "format/value_format.h"

#include <gtest/gtest.h>

#include <cstdint>

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
        // Half a bit per second is an exact tie: printf rounds it to even on every build.
        {1, 16, u"0bps"},
        {3, 16, u"2bps"},
        // 1.065 kbit/s: the nearest double would print 1.06, the nearest float prints 1.07.
        {2'130, 16, u"1.07kbps"},
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
}

// No bytes, fewer than none, or no older stamp.
TEST(FormatRate, NothingToRateGivesZero) {
    const base::SystemTime empty;
    const std::pair<std::int64_t, base::SystemTime> cases[] = {{0, At(0)}, {-5000, At(0)}, {125'000, empty}};
    for (const auto& [bytes, older] : cases) {
        float kbps = -1.0f;
        EXPECT_EQ(format::FormatRate(bytes, older, At(1), &kbps), u"0bps") << bytes;
        EXPECT_EQ(kbps, 0.0f) << bytes;
        EXPECT_EQ(format::FormatRateCompact(bytes, older, At(1)), u"0bps") << bytes;
        std::u16string text = u"previous";
        EXPECT_EQ(format::ComputeSpeed(text, older, At(1), bytes), 0.0f);
        EXPECT_EQ(text, u"0.00KB/S");
        EXPECT_EQ(format::FormatRateSeconds(older.IsEmpty() ? 0 : bytes, 5, &kbps), u"0bps") << bytes;
    }
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
        {1'000, 0, u"8.0kbps"},  // the same second counts as one
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
        {1'065, 1, u"1.07KB/S", 1.065f},  // the float nearest 1.065 lies above it
        {999'999, 1, u"1000.00KB/S", 999.999f},
        // 999.999975 KB/s becomes the float 1000 before the comparison, so this reads in MB/S.
        {39'999'999, 40, u"1.00MB/S", 1000.0f},
        {1'000'000'000, 1, u"1.00GB/S", 1e6f},
        {12'500, 0, u"12.50KB/S", 12.5f},
    };
    for (const auto& c : cases) {
        std::u16string text = u"previous";
        EXPECT_EQ(format::ComputeSpeed(text, At(0), At(c.seconds), c.bytes), c.kbPerSecond) << c.bytes;
        EXPECT_EQ(text, c.expected) << c.bytes;
    }
}

// The rung is chosen on the exact bit count, the figure printed from a float: 999 999 992 bits stay on
// the megabit rung although they round up to 1000.00.
TEST(FormatVolume, PicksTheRungOnTheExactBitCount) {
    const struct {
        std::uint64_t bytes;
        std::u16string_view volume, withTerabits, trimmed;
    } cases[] = {
        {124, u"992b", u"992b", u"992b"},
        {125, u"1.00kb", u"1.00kb", u"1kb"},
        {124'999, u"999.99kb", u"999.99kb", u"999.99kb"},
        {125'000, u"1.00mb", u"1.00mb", u"1mb"},
        {131'250, u"1.05mb", u"1.05mb", u"1.05mb"},  // a zero in the first place alone is kept
        {187'500, u"1.50mb", u"1.50mb", u"1.5mb"},
        {124'999'999, u"1000.00mb", u"1000.00mb", u"1000mb"},
        {125'000'000, u"1.00gb", u"1.00gb", u"1gb"},
        {124'999'999'999, u"1000.00gb", u"1000.00gb", u"1000gb"},
        {125'000'000'000, u"1000.00gb", u"1.00Tb", u"1tb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatVolume(c.bytes), c.volume) << c.bytes;
        EXPECT_EQ(format::FormatVolumeTb(c.bytes), c.withTerabits) << c.bytes;
        EXPECT_EQ(format::FormatVolumeTrimmed(c.bytes), c.trimmed) << c.bytes;
    }
}

TEST(FormatBytesKB, CountsBytesAndReadsAtLeastOneKB) {
    const std::pair<std::uint64_t, std::u16string_view> cases[] = {
        {0, u"1KB"},
        {1'001, u"1KB"},
        {1'010, u"1.01KB"},
        {1'065, u"1.07KB"},  // the float nearest 1.065 lies above it (the double would print 1.06)
        {999'999, u"1000KB"},
        {1'000'000, u"1MB"},
        {999'999'999, u"1000MB"},
        {1'000'000'000, u"1GB"},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(format::FormatBytesKB(bytes), expected) << bytes;
    }
}

TEST(ConvertSpeedText, ReexpressesByteSpeedsInBits) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"12.9KB/S", u"96kbps"},  // decimals are dropped before the multiply
        {u"124KB/S", u"992kbps"},
        {u"125KB/S", u"1.00mbps"},
        {u"3MB/S", u"24mbps"},
        {u"125.99MB/S", u"1.00gbps"},
        {u"7GB/S", u"56gbps"},
        {u"200GB/S", u"1.60tbps"},
        {u"KB/S", u"0kbps"},
        {u"-5KB/S", u"-40kbps"},
        {u" 12KB/S", u"96kbps"},
        // The multiply by 8 is 32-bit int arithmetic and wraps, after a figure beyond 32 bits is held at
        // INT_MAX.
        {u"268435456KB/S", u"-2147483648kbps"},
        {u"99999999999KB/S", u"-8kbps"},
        // Any other unit, compared case for case, gives nothing; too short to hold a unit: kept.
        {u"12KB/s", u""},
        {u"KB", u"KB"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(format::ConvertSpeedText(text), expected);
    }
}

TEST(FormatTime, PadsOnlyTheClockFields) {
    const base::SystemTime time = testing_support::LocalTime(2014, 3, 5, 9, 7, 2);
    EXPECT_EQ(format::FormatDateTime(time), u"2014-3-5 09:07:02");
    EXPECT_EQ(format::FormatClock(time), u"09:07:02");
    EXPECT_EQ(format::FormatClockCn(time), u"9 时7 分2 秒");
}

}  // namespace
