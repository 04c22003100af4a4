#include <windows.h>

#include <time.h>

#include "base/system_time.h"

namespace base {
namespace {

SystemTime FromNative(const SYSTEMTIME& st) {
    return SystemTime{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace

SystemTime LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FromNative(st);
}

SystemTime CalendarSecondsToLocal(std::int64_t seconds) {
    const __time64_t t = seconds;
    struct tm tm {};
    _localtime64_s(&tm, &t);
    SystemTime out;
    out.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
    out.month = static_cast<std::uint16_t>(tm.tm_mon + 1);
    out.dayOfWeek = static_cast<std::uint16_t>(tm.tm_wday);
    out.day = static_cast<std::uint16_t>(tm.tm_mday);
    out.hour = static_cast<std::uint16_t>(tm.tm_hour);
    out.minute = static_cast<std::uint16_t>(tm.tm_min);
    out.second = static_cast<std::uint16_t>(tm.tm_sec);
    return out;
}

}  // namespace base
