#include "base/system_time.h"

#include <gtest/gtest.h>

namespace {

base::SystemTime At(int year, int month, int day, int hour, int minute, int second) {
    base::SystemTime t;
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    t.second = static_cast<std::uint16_t>(second);
    return t;
}

TEST(SystemTime, CalendarSecondsDifferByWholeSeconds) {
    const auto base = At(2014, 3, 5, 9, 7, 2);
    const struct {
        base::SystemTime later;
        std::int64_t seconds;
    } cases[] = {
        {At(2014, 3, 5, 9, 7, 2), 0},
        {At(2014, 3, 5, 9, 7, 3), 1},
        {At(2014, 3, 5, 9, 8, 2), 60},
        {At(2014, 3, 5, 10, 7, 2), 3600},
        {At(2014, 3, 6, 9, 7, 2), 86400},
        {At(2014, 4, 1, 9, 7, 2), 27 * 86400},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::LocalToCalendarSeconds(c.later) - base::LocalToCalendarSeconds(base), c.seconds);
    }
    // Milliseconds do not count.
    auto withMs = base;
    withMs.milliseconds = 999;
    EXPECT_EQ(base::LocalToCalendarSeconds(withMs), base::LocalToCalendarSeconds(base));
}

TEST(SystemTime, YearsBefore1900CountAsTimeZero) {
    EXPECT_EQ(base::LocalToCalendarSeconds(base::SystemTime{}), 0);
    EXPECT_EQ(base::LocalToCalendarSeconds(At(1899, 12, 31, 23, 59, 59)), 0);
}

TEST(SystemTime, LocalNowAgreesWithCalendarConversion) {
    const auto now = base::LocalNow();
    EXPECT_FALSE(now.IsEmpty());
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_LT(now.milliseconds, 1000);
    const auto seconds = base::LocalToCalendarSeconds(now);
    auto back = base::CalendarSecondsToLocal(seconds);
    back.milliseconds = now.milliseconds;
    EXPECT_EQ(back, now);
}

}  // namespace
