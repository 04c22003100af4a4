#include "format/value_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "support/local_time.h"

namespace {

// The rung is chosen on the exact bit count, the figure printed from a float: 999 999 992 bits stay on
// the megabit rung although they round up to 1000.00.
TEST(FormatVolume, PicksTheRungOnTheExactBitCount) {
    const struct {
        std::uint64_t bytes;
        std::u16string_view volume, withTerabits, trimmed;
    } cases[] = {
        {0, u"0b", u"0b", u"0b"},
        {124, u"992b", u"992b", u"992b"},
        {125, u"1.00kb", u"1.00kb", u"1kb"},
        {124'999, u"999.99kb", u"999.99kb", u"999.99kb"},
        {125'000, u"1.00mb", u"1.00mb", u"1mb"},
        {131'250, u"1.05mb", u"1.05mb", u"1.05mb"},  // a zero in the first place alone is kept
        {187'500, u"1.50mb", u"1.50mb", u"1.5mb"},
        {1'562'500, u"12.50mb", u"12.50mb", u"12.5mb"},
        {124'999'999, u"1000.00mb", u"1000.00mb", u"1000mb"},
        {125'000'000, u"1.00gb", u"1.00gb", u"1gb"},
        {124'999'999'999, u"1000.00gb", u"1000.00gb", u"1000gb"},
        {125'000'000'000, u"1000.00gb", u"1.00Tb", u"1tb"},
        {312'500'000'000, u"2500.00gb", u"2.50Tb", u"2.5tb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatVolume(c.bytes), c.volume) << c.bytes;
        EXPECT_EQ(format::FormatVolumeTb(c.bytes), c.withTerabits) << c.bytes;
        EXPECT_EQ(format::FormatVolumeTrimmed(c.bytes), c.trimmed) << c.bytes;
    }
}

TEST(FormatBytesKB, CountsBytesAndReadsAtLeastOneKB) {
    const struct {
        std::uint64_t bytes;
        std::u16string_view expected;
    } cases[] = {
        {0, u"1KB"},
        {1'001, u"1KB"},
        {1'010, u"1.01KB"},
        {1'500, u"1.5KB"},
        // The float nearest 1.065 lies above it and prints 1.07 (the double would print 1.06); 1.125 is
        // exact and printf rounds the tie to even.
        {1'065, u"1.07KB"},
        {1'125, u"1.12KB"},
        {999'999, u"1000KB"},
        {1'000'000, u"1MB"},
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

TEST(ConvertSpeedText, ReexpressesByteSpeedsInBits) {
    const struct {
        std::u16string_view text, expected;
    } cases[] = {
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
        {u"268435455KB/S", u"2147483.75mbps"},  // 2 147 483.64 has no close float
        // The multiply by 8 is 32-bit int arithmetic and wraps, after a figure beyond 32 bits is held at
        // INT_MAX.
        {u"268435456KB/S", u"-2147483648kbps"},
        {u"99999999999KB/S", u"-8kbps"},
        // Any other unit, compared case for case, gives nothing; too short to hold a unit: kept.
        {u"5 B/S", u""},
        {u"12KB/s", u""},
        {u"12kbps", u""},
        {u"12KB/S ", u""},
        {u"KB", u"KB"},
        {u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::ConvertSpeedText(c.text), c.expected);
    }
}

TEST(FormatTime, PadsOnlyTheClockFieldsAndCutsAtThirtyOneCharacters) {
    using testing_support::LocalTime;
    const struct {
        base::SystemTime time;
        std::u16string_view dateTime, clock, clockCn;
    } cases[] = {
        {LocalTime(2014, 3, 5, 9, 7, 2), u"2014-3-5 09:07:02", u"09:07:02", u"9 时7 分2 秒"},
        {LocalTime(2020, 10, 10, 10, 9, 59), u"2020-10-10 10:09:59", u"10:09:59", u"10 时9 分59 秒"},
        {LocalTime(2020, 1, 1), u"2020-1-1 00:00:00", u"00:00:00", u"0 时0 分0 秒"},
        {LocalTime(65535, 65535, 65535, 65535, 65535, 65535), u"65535-65535-65535 65535:65535:6",
         u"65535:65535:65535", u"65535 时65535 分65535 秒"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(format::FormatDateTime(c.time), c.dateTime);
        EXPECT_EQ(format::FormatClock(c.time), c.clock);
        EXPECT_EQ(format::FormatClockCn(c.time), c.clockCn);
    }
}

}  // namespace
