#include <gtest/gtest.h>

#include <string>

#include "plugin/time_text.h"

namespace {

const base::SystemTime kNow{2026, 1, 4, 1, 0, 30, 0, 250};  // Thursday 2026-01-01 00:30:00.250

TEST(TimeText, ReadsDatesTimesAndTimesRelativeToNow) {
    const std::pair<const char*, base::SystemTime> cases[] = {
        {"2026-12-06T10:00:00", {2026, 12, 0, 6, 10, 0, 0, 0}},
        {"2026-12-06 10:00:01.999", {2026, 12, 0, 6, 10, 0, 1, 999}},
        {"2026-12-06", {2026, 12, 0, 6, 0, 0, 0, 0}},
        {"2024-02-29", {2024, 2, 4, 29, 0, 0, 0, 0}},
        {"1601-01-01", {1601, 1, 1, 1, 0, 0, 0, 0}},
        {"now", kNow},
        {"now-1h", {2025, 12, 3, 31, 23, 30, 0, 250}},
        {"now-90", {2026, 1, 4, 1, 0, 28, 30, 250}},
        {"now+31d", {2026, 2, 0, 1, 0, 30, 0, 250}},
        {"now-366d", {2024, 12, 2, 31, 0, 30, 0, 250}},
    };
    for (const auto& [text, expected] : cases) {
        base::SystemTime time;
        EXPECT_TRUE(console::ParseTimeText(text, kNow, time)) << text;
        EXPECT_EQ(time, expected) << text << " gave " << console::FormatTimeText(time) << " day "
                                  << time.dayOfWeek;
    }
}

TEST(TimeText, RefusesWhatIsNotATime) {
    const char* const bad[] = {"2026-12-6",
                               "2026-13-01",
                               "2026-00-10",
                               "2026-02-29",
                               "1900-02-29",
                               "2026-04-31",
                               "1600-12-31",
                               "2026-12-06T24:00",
                               "2026-12-06T10:60",
                               "2026-12-06T10:00:60",
                               "2026-12-06T10",
                               "2026-12-06T10:00:00.12",
                               "2026-12-06T10:00:00Z",
                               "2026-12-06X10:00",
                               "now-",
                               "now-1y",
                               "now*2"};
    for (const char* text : bad) {
        base::SystemTime time;
        EXPECT_FALSE(console::ParseTimeText(text, kNow, time)) << text;
    }
}

TEST(TimeText, ReadsSecondsWithUpToThreeDecimals) {
    const std::pair<const char*, long long> good[] = {{"0", 0},      {"10", 10000},   {"0.25", 250},
                                                      {"1.5", 1500}, {"2.125", 2125}, {"86400", 86400000}};
    for (const auto& [text, ms] : good) {
        std::chrono::milliseconds d{};
        EXPECT_TRUE(console::ParseSecondsText(text, d)) << text;
        EXPECT_EQ(d.count(), ms) << text;
    }
    for (const char* text : {"", ".5", "1.", "1.2345", "-1", "1e3", "86401", "1,5"}) {
        std::chrono::milliseconds d{};
        EXPECT_FALSE(console::ParseSecondsText(text, d)) << text;
    }
}

}  // namespace
