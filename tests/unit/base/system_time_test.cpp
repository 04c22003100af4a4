#include "base/system_time.h"

#include <gtest/gtest.h>

#include "support/local_time.h"

namespace {

using testing_support::LocalTime;

TEST(SystemTime, CalendarSecondsDifferByWholeSecondsAndConvertBack) {
    const auto start = LocalTime(2014, 3, 5, 9, 7, 2);
    const std::int64_t from = base::LocalToCalendarSeconds(start);
    EXPECT_EQ(base::LocalToCalendarSeconds(LocalTime(2014, 3, 5, 10, 8, 3)) - from, 3661);
    EXPECT_EQ(base::LocalToCalendarSeconds(LocalTime(2014, 4, 1, 9, 7, 2)) - from, 27 * 86400);
    auto withMs = start;
    withMs.milliseconds = 999;  // milliseconds do not count
    EXPECT_EQ(base::LocalToCalendarSeconds(withMs), from);
    // Years before 1900 count as time zero.
    EXPECT_EQ(base::LocalToCalendarSeconds(base::SystemTime{}), 0);
    EXPECT_EQ(base::LocalToCalendarSeconds(LocalTime(1899, 12, 31, 23, 59, 59)), 0);

    const auto now = base::LocalNow();
    auto back = base::CalendarSecondsToLocal(base::LocalToCalendarSeconds(now));
    back.milliseconds = now.milliseconds;
    EXPECT_EQ(back, now);
}

}  // namespace
