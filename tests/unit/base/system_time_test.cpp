#include "base/system_time.h"

#include <gtest/gtest.h>

#include "support/local_time.h"

namespace {

using testing_support::LocalTime;

TEST(SystemTime, CalendarSecondsDifferByWholeSeconds) {
    const auto start = LocalTime(2014, 3, 5, 9, 7, 2);
    const struct {
        base::SystemTime later;
        std::int64_t seconds;
    } cases[] = {
        {LocalTime(2014, 3, 5, 9, 7, 2), 0},     {LocalTime(2014, 3, 5, 9, 7, 3), 1},
        {LocalTime(2014, 3, 5, 9, 8, 2), 60},    {LocalTime(2014, 3, 5, 10, 7, 2), 3600},
        {LocalTime(2014, 3, 6, 9, 7, 2), 86400}, {LocalTime(2014, 4, 1, 9, 7, 2), 27 * 86400},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::LocalToCalendarSeconds(c.later) - base::LocalToCalendarSeconds(start), c.seconds);
    }
    auto withMs = start;
    withMs.milliseconds = 999;  // milliseconds do not count
    EXPECT_EQ(base::LocalToCalendarSeconds(withMs), base::LocalToCalendarSeconds(start));
    // Years before 1900 count as time zero.
    EXPECT_EQ(base::LocalToCalendarSeconds(base::SystemTime{}), 0);
    EXPECT_EQ(base::LocalToCalendarSeconds(LocalTime(1899, 12, 31, 23, 59, 59)), 0);
}

TEST(SystemTime, LocalNowAgreesWithCalendarConversion) {
    const auto now = base::LocalNow();
    EXPECT_FALSE(now.IsEmpty());
    EXPECT_LT(now.milliseconds, 1000);
    auto back = base::CalendarSecondsToLocal(base::LocalToCalendarSeconds(now));
    back.milliseconds = now.milliseconds;
    EXPECT_EQ(back, now);
}

}  // namespace
