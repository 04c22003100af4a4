#include "alarm/alarm_evaluation.h"

#include <algorithm>
#include <string>

#include "engine/name_lists.h"
#include "engine/process_records.h"

namespace alarming {

namespace {

using engine::SpeedAlarmRecord;
using Records = std::vector<SpeedAlarmRecord>;

// Whole seconds from `from` to `to`.
std::int64_t SecondsBetween(const base::SystemTime& from, const base::SystemTime& to) {
    return base::LocalToCalendarSeconds(to) - base::LocalToCalendarSeconds(from);
}

bool IsIgnoredPid(const Records& history, std::uint32_t pid) {
    return std::any_of(history.begin(), history.end(), [&](const SpeedAlarmRecord& entry) {
        return entry.handlingState == engine::kAlarmIgnored && entry.pid == pid;
    });
}

// Processes the user chose to ignore are never shown again.
Records FilterIgnored(std::span<const SpeedAlarmRecord> records, const Records& history) {
    Records filtered;
    for (const SpeedAlarmRecord& record :
         records.first(std::min(records.size(), engine::kSpeedAlarmBatchSize))) {
        if (!IsIgnoredPid(history, record.pid)) {
            filtered.push_back(record);
        }
    }
    return filtered;
}

// At most one pop-up per 30 firing ticks, and only for a record more than 60 s after the last one.
bool PassesPacing(const Records& filtered, AlarmGateState& state) {
    ++state.tickCounter;
    if (!state.lastPopupTime) {
        state.lastPopupTime = filtered.front().time;
    }
    const auto due = std::find_if(filtered.begin(), filtered.end(), [&](const SpeedAlarmRecord& record) {
        return SecondsBetween(*state.lastPopupTime, record.time) > kSecondsBetweenPopups;
    });
    if (due == filtered.end() || state.tickCounter < kTicksBetweenPopups) {
        return false;
    }
    state.tickCounter = 0;
    state.lastPopupTime = due->time;
    return true;
}

OffenceEntry& EntryOf(std::vector<OffenceEntry>& offences, std::uint32_t pid) {
    return *std::find_if(offences.begin(), offences.end(),
                         [&](const OffenceEntry& e) { return e.pid == pid; });
}

// The processes listed at least 20 times within their window; when none is, every candidate.
Records PersistentOffenders(const Records& filtered, const ExemptionTest& exempt, AlarmGateState& state) {
    for (const SpeedAlarmRecord& record : filtered) {
        const bool known = std::any_of(state.offences.begin(), state.offences.end(),
                                       [&](const OffenceEntry& e) { return e.pid == record.pid; });
        if (!known) {
            state.offences.push_back({record.pid, 1, record.time});
        }
    }
    Records output;
    for (const SpeedAlarmRecord& record : filtered) {
        OffenceEntry& entry = EntryOf(state.offences, record.pid);
        ++entry.count;
        if (SecondsBetween(entry.windowStart, record.time) > kOffenceWindowSeconds) {
            entry.count = 0;
            entry.windowStart = record.time;
        } else if (entry.count >= kOffenceCount && output.size() < kMaxOutputRecords && !exempt(record)) {
            output.push_back(record);
        }
    }
    if (output.empty()) {
        for (const SpeedAlarmRecord& record : filtered) {
            if (output.size() < kMaxOutputRecords && !exempt(record)) {
                output.push_back(record);
            }
        }
    }
    return output;
}

// The process of the newest history entry is not shown again until 70 s have passed since it was last
// seen; every sighting moves that time on.
bool IsRepeat(const Records& output, const Records& history, AlarmGateState& state) {
    if (!state.lastAlarmedTime) {
        state.lastAlarmedTime = output.front().time;
    }
    if (history.empty()) {
        return false;
    }
    const std::uint32_t newest = history.back().pid;
    bool seen = false;
    for (const SpeedAlarmRecord& record : output) {
        if (record.pid != newest) {
            continue;
        }
        seen = true;
        const bool late = SecondsBetween(*state.lastAlarmedTime, record.time) > kRepeatSeconds;
        state.lastAlarmedTime = record.time;
        if (late) {
            return false;
        }
    }
    return seen;
}

const SpeedAlarmRecord* OldestEntryNamed(const Records& history, std::u16string_view name) {
    const auto it = std::find_if(history.begin(), history.end(), [&](const SpeedAlarmRecord& entry) {
        return IsSameProcessName(entry.name, name);
    });
    return it == history.end() ? nullptr : &*it;
}

// The first output process the history knows by name decides: ignored by the user, or optimized for the
// same process, keeps the pop-up away.
bool IsKnownToHistory(const Records& output, const Records& history) {
    for (const SpeedAlarmRecord& record : output) {
        const SpeedAlarmRecord* entry = OldestEntryNamed(history, record.name);
        if (entry == nullptr) {
            continue;
        }
        return entry->handlingState == engine::kAlarmIgnored ||
               (entry->handlingState == engine::kAlarmOptimized && entry->pid == record.pid);
    }
    return false;
}

bool HasIgnoredName(const Records& history, std::u16string_view name) {
    return std::any_of(history.begin(), history.end(), [&](const SpeedAlarmRecord& entry) {
        return entry.handlingState == engine::kAlarmIgnored && IsSameProcessName(entry.name, name);
    });
}

}  // namespace

bool IsSameProcessName(std::u16string_view historyName, std::u16string_view recordName) {
    if (engine::EqualsIgnoringCase(historyName, recordName)) {
        return true;
    }
    const std::u16string closed = std::u16string(recordName) + std::u16string(engine::kClosedMarker);
    return engine::EqualsIgnoringCase(historyName, closed);
}

AlarmDecision EvaluateAlarm(std::span<const SpeedAlarmRecord> records, const Records& history,
                            const ExemptionTest& exempt, AlarmGateState& state) {
    AlarmDecision decision;
    const Records filtered = FilterIgnored(records, history);
    if (filtered.empty()) {
        decision.outcome = AlarmOutcome::kAllIgnored;
        return decision;
    }
    if (!PassesPacing(filtered, state)) {
        decision.outcome = AlarmOutcome::kPaced;
        return decision;
    }
    decision.output = PersistentOffenders(filtered, exempt, state);
    if (decision.output.empty()) {
        decision.outcome = AlarmOutcome::kNoneToShow;
        return decision;
    }
    if (IsRepeat(decision.output, history, state)) {
        decision.outcome = AlarmOutcome::kRepeated;
        return decision;
    }
    if (IsKnownToHistory(decision.output, history)) {
        decision.outcome = AlarmOutcome::kAlreadyKnown;
        return decision;
    }
    for (const SpeedAlarmRecord& record : decision.output) {
        if (!HasIgnoredName(history, record.name)) {
            decision.appended.push_back(record);
        }
    }
    decision.outcome = AlarmOutcome::kShow;
    return decision;
}

}  // namespace alarming
