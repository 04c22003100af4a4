#include <time.h>

#include "base/system_time.h"

namespace base {
namespace {

SystemTime FromTm(const struct tm& tm, long nanoseconds) {
    SystemTime t;
    t.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
    t.month = static_cast<std::uint16_t>(tm.tm_mon + 1);
    t.dayOfWeek = static_cast<std::uint16_t>(tm.tm_wday);
    t.day = static_cast<std::uint16_t>(tm.tm_mday);
    t.hour = static_cast<std::uint16_t>(tm.tm_hour);
    t.minute = static_cast<std::uint16_t>(tm.tm_min);
    t.second = static_cast<std::uint16_t>(tm.tm_sec);
    t.milliseconds = static_cast<std::uint16_t>(nanoseconds / 1000000);
    return t;
}

}  // namespace

SystemTime LocalNow() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm tm {};
    localtime_r(&now.tv_sec, &tm);
    return FromTm(tm, now.tv_nsec);
}

SystemTime CalendarSecondsToLocal(std::int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm tm {};
    localtime_r(&t, &tm);
    return FromTm(tm, 0);
}

}  // namespace base
