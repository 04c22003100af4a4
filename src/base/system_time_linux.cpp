#include <time.h>

#include "base/system_time.h"

namespace base {

SystemTime LocalNow() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm tm {};
    localtime_r(&now.tv_sec, &tm);
    return SystemTimeFromTm(tm, static_cast<std::uint16_t>(now.tv_nsec / 1000000));
}

SystemTime CalendarSecondsToLocal(std::int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm tm {};
    localtime_r(&t, &tm);
    return SystemTimeFromTm(tm, 0);
}

}  // namespace base
