#pragma once

// The alarm's decision, without threads, events or windows: which of the processes that the statistics
// tick listed are shown, whether a pop-up is due, and what goes into the history. Every rule compares
// times to the whole second.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/system_time.h"
#include "engine/speed_alarm.h"

namespace alarming {

// A pop-up needs this many firing ticks since the last one...
inline constexpr std::int32_t kTicksBetweenPopups = 30;
// ...and a listed process more than this many seconds after it.
inline constexpr std::int64_t kSecondsBetweenPopups = 60;
// A process offends once it was listed this many times within one window...
inline constexpr std::int32_t kOffenceCount = 20;
// ...of this many seconds.
inline constexpr std::int64_t kOffenceWindowSeconds = 60;
// The newest history entry's process is not shown again within this many seconds.
inline constexpr std::int64_t kRepeatSeconds = 70;
// The most records the persistence rule puts out.
inline constexpr std::size_t kMaxOutputRecords = 56;

// How often one process was listed since its window started.
struct OffenceEntry {
    std::uint32_t pid = 0;
    std::int32_t count = 0;
    base::SystemTime windowStart;
};

// What the rules remember from one alarm to the next.
struct AlarmGateState {
    std::int32_t tickCounter = 0;
    std::optional<base::SystemTime> lastPopupTime;
    std::optional<base::SystemTime> lastAlarmedTime;
    std::vector<OffenceEntry> offences;  // one per process id, never shrunk
};

enum class AlarmOutcome {
    kSwitchedOff,   // not evaluated: nothing listed, alarms off, or a full-screen window in front
    kAllIgnored,    // every listed process was ignored by the user
    kPaced,         // too soon after the last pop-up
    kNoneToShow,    // every candidate is white-listed or in the program's own directory
    kRepeated,      // the process of the newest history entry, again within 70 s
    kAlreadyKnown,  // the history says the user ignored or optimized it
    kShow,          // pop up
};

struct AlarmDecision {
    AlarmOutcome outcome = AlarmOutcome::kAllIgnored;
    std::vector<engine::SpeedAlarmRecord> output;    // the processes of the pop-up
    std::vector<engine::SpeedAlarmRecord> appended;  // what goes into the history (with kShow only)
};

// True for a process the alarm never shows (white-listed, or in the program's own directory).
using ExemptionTest = std::function<bool(const engine::SpeedAlarmRecord&)>;

// Applies the filter, pacing, persistence, repeat and history rules to the records one tick handed over
// (at most the first 16 count), against the history as it stands, updating `state`. The caller appends
// `appended` to the history and shows the pop-up when the outcome is kShow.
AlarmDecision EvaluateAlarm(std::span<const engine::SpeedAlarmRecord> records,
                            const std::vector<engine::SpeedAlarmRecord>& history, const ExemptionTest& exempt,
                            AlarmGateState& state);

// A history name stands for a record's process when it equals the record's name, or that name with the
// closed marker, letters A to Z compared without case.
bool IsSameProcessName(std::u16string_view historyName, std::u16string_view recordName);

}  // namespace alarming
