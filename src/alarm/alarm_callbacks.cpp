// The two callbacks the engine calls on the alarm: the alarm itself, from the statistics tick, and the
// process events that keep the history's kinds current.

#include <algorithm>
#include <utility>

#include "alarm/alarm_popup_thread.h"
#include "alarm/alarm_thread.h"
#include "alarm/own_directory.h"
#include "alarm/settings.h"

namespace alarming {

AlarmResult CAlarmThread::HandleAlarm(std::span<const engine::SpeedAlarmRecord> records) {
    AlarmResult result;
    if (records.empty() || AlarmEnabled == 0 || window_.IsFullScreenForeground()) {
        return result;
    }
    const ExemptionTest exempt = [this](const engine::SpeedAlarmRecord& record) {
        return whiteList_.IsWhiteListed(record.name) == 1 || IsInOwnDirectory(record.path) == 1;
    };
    AlarmDecision decision = history_.Locked([&](std::vector<engine::SpeedAlarmRecord>& entries) {
        AlarmDecision d = EvaluateAlarm(records, entries, exempt, gate_);
        entries.insert(entries.end(), d.appended.begin(), d.appended.end());
        return d;
    });
    result.outcome = decision.outcome;
    if (decision.outcome == AlarmOutcome::kShow) {
        ++AlarmPopupCount;
        TellRaised(decision.appended);
        StartPopup(std::move(decision.output), result);
    }
    return result;
}

void CAlarmThread::SetAlarmRaisedObserver(AlarmRaisedObserver observer) {
    std::lock_guard<std::mutex> lock(observerMutex_);
    raised_ = std::move(observer);
}

void CAlarmThread::TellRaised(const std::vector<engine::SpeedAlarmRecord>& appended) {
    std::lock_guard<std::mutex> lock(observerMutex_);
    if (!raised_) {
        return;
    }
    try {
        for (const engine::SpeedAlarmRecord& record : appended) {
            raised_(record);
        }
    } catch (...) {
        // The pop-up still comes; only the telling is cut short.
    }
}

void CAlarmThread::StartPopup(std::vector<engine::SpeedAlarmRecord> output, AlarmResult& result) {
    if (!waitChild_) {
        return;  // no hand-shake before Init
    }
    // Threads of pop-ups that have closed are done with.
    std::erase_if(popups_, [](const std::unique_ptr<base::WorkerThread>& popup) {
        return popup->HasEnded() && popup->Join(0);
    });
    waitChild_->Reset();
    auto popup = std::make_unique<base::WorkerThread>();
    result.popupStarted = popup->Start([output = std::move(output), ready = waitChild_, &window = window_] {
        AlarmPopupThread(output, window, *ready);
    });
    if (!result.popupStarted) {
        return;  // not retried; the history keeps what was appended
    }
    popups_.push_back(std::move(popup));
    result.popupReady = waitChild_->Wait(kPopupHandshakeMs);
}

void CAlarmThread::HandleProcessEvent(std::uint32_t pid, std::uint32_t state) {
    HasUnhandledAlarm = history_.SetKindOfPid(pid, state);
}

void OnAlarm(engine::SpeedAlarmRecord* records, std::uint32_t* count, void* context) {
    if (records == nullptr || count == nullptr || context == nullptr) {
        return;
    }
    const std::size_t listed = std::min<std::size_t>(*count, engine::kSpeedAlarmBatchSize);
    try {
        static_cast<CAlarmThread*>(context)->HandleAlarm(
            std::span<const engine::SpeedAlarmRecord>(records, listed));
    } catch (...) {
        // Nothing crosses back into the engine's tick; this alarm is dropped.
    }
}

void OnProcessEvent(std::uint32_t pid, const std::u16string*, std::uint32_t state, void* context) {
    if (context != nullptr) {
        static_cast<CAlarmThread*>(context)->HandleProcessEvent(pid, state);
    }
}

}  // namespace alarming
