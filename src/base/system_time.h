#pragma once

#include <cstdint>
#include <ctime>

namespace base {

// Local time with the eight 16-bit fields of a Windows SYSTEMTIME. A year of 0 means "no time".
struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;

    bool IsEmpty() const { return year == 0; }
    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// The current local time (GetLocalTime on Windows).
SystemTime LocalNow();

// Calendar seconds of a local time, with daylight saving decided by the C run-time library as mktime
// does. A year before 1900 counts as time 0.
std::int64_t LocalToCalendarSeconds(const SystemTime& time);

// The fields of a broken-down C time (as localtime fills it) with the given milliseconds.
SystemTime SystemTimeFromTm(const std::tm& tm, std::uint16_t milliseconds);

// The local time of calendar seconds (the inverse of LocalToCalendarSeconds).
SystemTime CalendarSecondsToLocal(std::int64_t seconds);

}  // namespace base
