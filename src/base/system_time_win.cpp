#include <windows.h>

#include <time.h>

#include "base/system_time.h"

namespace base {

SystemTime LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTime{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                      st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

SystemTime CalendarSecondsToLocal(std::int64_t seconds) {
    const __time64_t t = seconds;
    struct tm tm {};
    _localtime64_s(&tm, &t);
    return SystemTimeFromTm(tm, 0);
}

}  // namespace base
