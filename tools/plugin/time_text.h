#pragma once

// Times as the console reads and prints them: local clock times, no time zone.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/system_time.h"
#include "ipc/message_text.h"

namespace console {

// "YYYY-MM-DDTHH:MM:SS.mmm" with "T" or a blank between date and time; the time, its seconds and its
// milliseconds may be left out (they read as 0). Also "now", and "now-N" or "now+N" with N in seconds
// or with a unit (s, m, h, d), counted on the local clock. The day of the week is filled in. False for
// anything else, or a date that does not exist.
bool ParseTimeText(std::string_view text, const base::SystemTime& now, base::SystemTime& time);

// "2026-12-06 10:00:00.123": the form the message texts show times in.
using ipc::FormatTimeText;

// A duration in seconds, with up to three decimals ("10", "0.25"); at most a day. False for anything else.
bool ParseSecondsText(std::string_view text, std::chrono::milliseconds& duration);

// Day number of a date, 0 for 1970-01-01, and the date of a day number (with its day of the week).
std::int64_t DaysFromCivil(int year, unsigned month, unsigned day);
base::SystemTime CivilFromDays(std::int64_t days);

}  // namespace console
