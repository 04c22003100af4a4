#include "base/system_time.h"

#include <gtest/gtest.h>

#include "support/local_time.h"

namespace {

using testing_support::LocalTime;

TEST(SystemTime, CalendarSecondsDifferByWholeSeconds) {
    const auto base = LocalTime(2014, 3, 5, 9, 7, 2);
    const struct {
        base::SystemTime later;
        std::int64_t seconds;
    } cases[] = {
        {LocalTime(2014, 3, 5, 9, 7, 2), 0},
        {LocalTime(2014, 3, 5, 9, 7, 3), 1},
        {LocalTime(2014, 3, 5, 9, 8, 2), 60},
        {LocalTime(2014, 3, 5, 10, 7, 2), 3600},
        {LocalTime(2014, 3, 6, 9, 7, 2), 86400},
        {LocalTime(2014, 4, 1, 9, 7, 2), 27 * 86400},
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
    EXPECT_EQ(base::LocalToCalendarSeconds(LocalTime(1899, 12, 31, 23, 59, 59)), 0);
}

TEST(SystemTime, LocalNowAgreesWithCalendarConversion) {
    const auto now = base::LocalNow();
    EXPECT_FALSE(now.IsEmpty());
    EXPECT_LT(now.milliseconds, 1000);
    const auto seconds = base::LocalToCalendarSeconds(now);
    auto back = base::CalendarSecondsToLocal(seconds);
    back.milliseconds = now.milliseconds;
    EXPECT_EQ(back, now);
}

}  // namespace
