#include "alarm/alarm_history.h"

namespace alarming {

std::atomic<std::uint32_t> HasUnhandledAlarm{0};
std::atomic<std::uint32_t> AlarmPopupCount{0};

std::vector<engine::SpeedAlarmRecord> AlarmHistory::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}

std::size_t AlarmHistory::Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

bool AlarmHistory::SetHandlingState(std::size_t index, std::uint32_t state) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= entries_.size()) {
        return false;
    }
    entries_[index].handlingState = state;
    return true;
}

std::size_t AlarmHistory::SetHandlingStateOfPid(std::uint32_t pid, std::uint32_t state) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t changed = 0;
    for (engine::SpeedAlarmRecord& entry : entries_) {
        if (entry.pid == pid) {
            entry.handlingState = state;
            ++changed;
        }
    }
    return changed;
}

std::uint32_t AlarmHistory::SetKindOfPid(std::uint32_t pid, std::uint32_t kind) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (engine::SpeedAlarmRecord& entry : entries_) {
        if (entry.pid == pid) {
            entry.kind = kind;
        }
    }
    return AnyUnhandledRunningLocked();
}

std::uint32_t AlarmHistory::AnyUnhandledRunning() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return AnyUnhandledRunningLocked();
}

std::uint32_t AlarmHistory::AnyUnhandledRunningLocked() const {
    for (const engine::SpeedAlarmRecord& entry : entries_) {
        if (entry.handlingState == engine::kAlarmUnhandled && entry.kind != engine::kStateExited) {
            return 1;
        }
    }
    return 0;
}

AlarmHistory& ProcessAlarmHistory() {
    static AlarmHistory history;
    return history;
}

}  // namespace alarming
