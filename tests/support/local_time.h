#pragma once

#include <cstdint>

#include "base/system_time.h"

namespace testing_support {

// A local time stamp from its calendar fields (day of week and milliseconds left at 0).
inline base::SystemTime LocalTime(int year, int month, int day, int hour = 0, int minute = 0,
                                  int second = 0) {
    base::SystemTime t;
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    t.second = static_cast<std::uint16_t>(second);
    return t;
}

}  // namespace testing_support
