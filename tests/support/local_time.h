#pragma once

#include <cstdint>

#include "base/system_time.h"

namespace testing_support {

// A local time stamp from its calendar fields (day of week and milliseconds left at 0).
inline base::SystemTime LocalTime(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                                  std::uint16_t hour = 0, std::uint16_t minute = 0,
                                  std::uint16_t second = 0) {
    return {.year = year, .month = month, .day = day, .hour = hour, .minute = minute, .second = second};
}

}  // namespace testing_support
