#include "format/value_format.h"

#include <gtest/gtest.h>

#include "support/local_time.h"

#include <cstdint>
#include <limits>

namespace {

using testing_support::LocalTime;

struct VolumeCase {
    std::uint64_t bytes;
    std::u16string_view expected;
};

TEST(FormatVolume, PicksTheRungOnTheExactBitCount) {
    const VolumeCase cases[] = {
        {0, u"0b"},
        {124, u"992b"},
        {125, u"1.00kb"},  // 1000 bits
        {124'999, u"999.99kb"},
        {125'000, u"1.00mb"},
        {1'250'000, u"10.00mb"},
        // 999 999 992 bits stay on the megabit rung although the figure rounds up to 1000.00.
        {124'999'999, u"1000.00mb"},
        {125'000'000, u"1.00gb"},
        // Above the gigabit rung there is no larger unit.
        {125'000'000'000, u"1000.00gb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatVolume(c.bytes), c.expected) << c.bytes;
    }
}

TEST(FormatVolumeTb, AddsATerabitRung) {
    const VolumeCase cases[] = {
        {125, u"1.00kb"},
        {124'999'999'999, u"1000.00gb"},
        {125'000'000'000, u"1.00Tb"},
        {312'500'000'000, u"2.50Tb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatVolumeTb(c.bytes), c.expected) << c.bytes;
    }
}

TEST(FormatVolumeTrimmed, DropsZerosAfterThePoint) {
    const VolumeCase cases[] = {
        {0, u"0b"},
        {100, u"800b"},
        {124, u"992b"},
        {125, u"1kb"},
        {187'500, u"1.5mb"},
        {1'562'500, u"12.5mb"},
        // A zero in the first place alone is kept.
        {131'250, u"1.05mb"},
        {124'999, u"999.99kb"},
        {124'999'999, u"1000mb"},
        {125'000'000, u"1gb"},
        {125'000'000'000, u"1tb"},
        {156'250'000'000, u"1.25tb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatVolumeTrimmed(c.bytes), c.expected) << c.bytes;
    }
}

TEST(FormatBytesKB, CountsBytesAndReadsAtLeastOneKB) {
    const VolumeCase cases[] = {
        {0, u"1KB"},
        {1'000, u"1KB"},
        {1'001, u"1KB"},
        {1'010, u"1.01KB"},
        {1'500, u"1.5KB"},
        // 1.065 has no exact binary form: the nearest double lies below it (1.0649999...) and prints
        // 1.06, the nearest float lies above it (1.0650000572) and prints 1.07. The float wins.
        {1'065, u"1.07KB"},
        // 1.125 is exact in binary: printf rounds the tie to even on every build.
        {1'125, u"1.12KB"},
        {1'375, u"1.38KB"},
        {999'999, u"1000KB"},
        {1'000'000, u"1MB"},
        {2'000'000, u"2MB"},
        {2'050'000, u"2.05MB"},
        {999'999'999, u"1000MB"},
        {1'000'000'000, u"1GB"},
        {3'250'000'000, u"3.25GB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatBytesKB(c.bytes), c.expected) << c.bytes;
    }
}

TEST(ValueFormat, LargestTotalsFitInThirtyOneCharacters) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (const std::uint64_t bytes : {kMax, kMax / 8, kMax / 9}) {
        EXPECT_LE(format::FormatVolume(bytes).size(), 31u);
        EXPECT_LE(format::FormatVolumeTb(bytes).size(), 31u);
        EXPECT_LE(format::FormatVolumeTrimmed(bytes).size(), 31u);
        EXPECT_LE(format::FormatBytesKB(bytes).size(), 31u);
    }
}

struct SpeedTextCase {
    std::u16string_view text;
    std::u16string_view expected;
};

TEST(ConvertSpeedText, ReexpressesByteSpeedsInBits) {
    const SpeedTextCase cases[] = {
        {u"12.9KB/S", u"96kbps"},  // decimals are dropped before the multiply
        {u"124KB/S", u"992kbps"},
        {u"125KB/S", u"1.00mbps"},
        {u"250KB/S", u"2.00mbps"},
        {u"3MB/S", u"24mbps"},
        {u"125.99MB/S", u"1.00gbps"},
        {u"7GB/S", u"56gbps"},
        {u"200GB/S", u"1.60tbps"},
        {u"KB/S", u"0kbps"},
        {u"-5KB/S", u"-40kbps"},
        {u" 12KB/S", u"96kbps"},
        // 2 147 483.64 has no close float: the nearest one is 2 147 483.75.
        {u"268435455KB/S", u"2147483.75mbps"},
        // The multiply by 8 is 32-bit int arithmetic and wraps.
        {u"268435456KB/S", u"-2147483648kbps"},
        // A figure beyond 32 bits is held at INT_MAX before the multiply: 0x7FFFFFFF * 8 wraps to -8.
        {u"99999999999KB/S", u"-8kbps"},
        // Any other unit, compared case for case, gives nothing.
        {u"5 B/S", u""},
        {u"12KB/s", u""},
        {u"12kbps", u""},
        {u"12KB/S ", u""},
        // Too short to hold a unit: kept as it is.
        {u"KB", u"KB"},
        {u"abc", u"abc"},
        {u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::ConvertSpeedText(c.text), c.expected);
    }
}

struct TimeCase {
    base::SystemTime time;
    std::u16string_view dateTime;
    std::u16string_view clock;
    std::u16string_view clockCn;
};

TEST(FormatTime, PadsOnlyTheClockFields) {
    const TimeCase cases[] = {
        {LocalTime(2014, 3, 5, 9, 7, 2), u"2014-3-5 09:07:02", u"09:07:02", u"9 时7 分2 秒"},
        {LocalTime(2014, 12, 25, 23, 59, 10), u"2014-12-25 23:59:10", u"23:59:10", u"23 时59 分10 秒"},
        {LocalTime(2020, 1, 1, 0, 0, 0), u"2020-1-1 00:00:00", u"00:00:00", u"0 时0 分0 秒"},
        {LocalTime(2020, 10, 10, 10, 9, 59), u"2020-10-10 10:09:59", u"10:09:59", u"10 时9 分59 秒"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatDateTime(c.time), c.dateTime);
        EXPECT_EQ(format::FormatClock(c.time), c.clock);
        EXPECT_EQ(format::FormatClockCn(c.time), c.clockCn);
    }
}

TEST(FormatTime, TextsAreCutAtThirtyOneCharacters) {
    const base::SystemTime t = LocalTime(65535, 65535, 65535, 65535, 65535, 65535);
    EXPECT_EQ(format::FormatDateTime(t), u"65535-65535-65535 65535:65535:6");
    EXPECT_EQ(format::FormatClock(t), u"65535:65535:65535");
    EXPECT_EQ(format::FormatClockCn(t), u"65535 时65535 分65535 秒");
}

}  // namespace
