#pragma once

// Alarm records and times for the alarm thread's tests: every time is a whole number of seconds after
// one fixed local time, so that rules about seconds can be checked without a clock.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "alarm/alarm_evaluation.h"
#include "base/system_time.h"
#include "base/text.h"
#include "engine/speed_alarm.h"
#include "support/local_time.h"

namespace alarming {
inline void PrintTo(AlarmOutcome outcome, std::ostream* out) {
    static const char* const names[] = {"kSwitchedOff", "kAllIgnored",   "kPaced", "kNoneToShow",
                                        "kRepeated",    "kAlreadyKnown", "kShow"};
    *out << names[static_cast<int>(outcome)];
}
}  // namespace alarming

namespace alarm_test {

// `seconds` after 2024-05-17 10:00:00 local time.
inline base::SystemTime At(std::int64_t seconds) {
    static const std::int64_t origin =
        base::LocalToCalendarSeconds(testing_support::LocalTime(2024, 5, 17, 10));
    return base::CalendarSecondsToLocal(origin + seconds);
}

inline engine::SpeedAlarmRecord Record(std::uint32_t pid, std::u16string_view name, std::int64_t seconds,
                                       std::uint32_t handlingState = engine::kAlarmUnhandled) {
    engine::SpeedAlarmRecord record(At(seconds));
    record.pid = pid;
    record.name = name;
    record.path = u"games" + std::u16string(1, u'/') + std::u16string(name);
    record.downSpeedText = u"12.50KB/S";
    record.upSpeedText = u"1.00MB/S";
    record.handlingState = handlingState;
    return record;
}

inline std::vector<std::uint32_t> Pids(const std::vector<engine::SpeedAlarmRecord>& records) {
    std::vector<std::uint32_t> pids;
    for (const auto& r : records) {
        pids.push_back(r.pid);
    }
    return pids;
}

}  // namespace alarm_test
