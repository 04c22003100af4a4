#pragma once

// The alarm history: every process the alarm has shown, oldest first, for the life of the process. The
// alarm thread appends to it; the pop-up and the alarm page read it and change handling states; the
// engine's process events keep each entry's kind current. A mutex guards the list, so readers on other
// threads get copies rather than references into it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/speed_alarm.h"

namespace alarming {

// Drives the floating window's alarm indicator: 1 while an alarm shown to the user is neither handled
// nor about a process that has exited.
extern std::atomic<std::uint32_t> HasUnhandledAlarm;
// One more for every pop-up the alarm started.
extern std::atomic<std::uint32_t> AlarmPopupCount;

class AlarmHistory {
  public:
    // A copy of every entry, oldest first.
    std::vector<engine::SpeedAlarmRecord> Snapshot() const;
    std::size_t Size() const;

    // False when there is no entry at `index`.
    bool SetHandlingState(std::size_t index, std::uint32_t state);
    // Every entry of the process; answers how many there were.
    std::size_t SetHandlingStateOfPid(std::uint32_t pid, std::uint32_t state);

    // Sets the kind (process state) of every entry of the process and answers 1 when some entry is
    // still unhandled and not about an exited process, else 0.
    std::uint32_t SetKindOfPid(std::uint32_t pid, std::uint32_t kind);
    // The same answer without changing anything.
    std::uint32_t AnyUnhandledRunning() const;

    // Runs `edit` on the list with the lock held. The alarm's evaluation reads and appends in one go
    // this way; `edit` must not call back into the history.
    template <typename Edit>
    decltype(auto) Locked(Edit&& edit) {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::forward<Edit>(edit)(entries_);
    }

  private:
    std::uint32_t AnyUnhandledRunningLocked() const;

    mutable std::mutex mutex_;
    std::vector<engine::SpeedAlarmRecord> entries_;
};

// The process-wide history that the alarm thread, the pop-up and the alarm page share.
AlarmHistory& ProcessAlarmHistory();

}  // namespace alarming
