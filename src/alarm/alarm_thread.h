#pragma once

// The alarm thread: it holds the thresholds and hands them to the engine, runs the engine's statistics
// tick once a second, reloads the thresholds when told to, and decides, each time the tick reports
// traffic outside the accelerator, whether to pop up the acceleration-state window.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "alarm/alarm_config.h"
#include "alarm/alarm_engine.h"
#include "alarm/alarm_evaluation.h"
#include "alarm/alarm_history.h"
#include "alarm/alarm_popup_window.h"
#include "alarm/list_files.h"
#include "alarm/program_directory.h"
#include "base/event.h"
#include "base/worker_thread.h"
#include "engine/speed_alarm.h"

namespace alarming {

inline constexpr std::u16string_view kQuitEventName = u"Quit Event";
inline constexpr std::u16string_view kYuZhiChangeEventName = u"YuZhiChange Event";
inline constexpr std::u16string_view kWaitChildThreadEventName = u"Waite Child Thread Event";

// The alarm thread's wait, and the tick's period.
inline constexpr std::uint32_t kAlarmWaitMs = 1000;
// How long the alarm waits for a pop-up thread to be under way.
inline constexpr std::uint32_t kPopupHandshakeMs = 2000;

// What one alarm came to.
struct AlarmResult {
    // kSwitchedOff when nothing was evaluated (no records, alarms off, a full-screen window in front).
    AlarmOutcome outcome = AlarmOutcome::kSwitchedOff;
    bool popupStarted = false;  // the pop-up thread was created
    bool popupReady = false;    // and reported itself under way within kPopupHandshakeMs
};

// Told of each record an alarm appends to the history, as the alarm is raised: on the alarm thread, with
// the engine lock held, before the pop-up starts.
using AlarmRaisedObserver = std::function<void(const engine::SpeedAlarmRecord& record)>;

class CAlarmThread {
  public:
    // The program's one instance, created on the first call.
    static CAlarmThread* GetInstance();

    // On the process-wide history, white list and window side.
    CAlarmThread();
    // On given ones, which must outlive the instance (tests).
    CAlarmThread(AlarmHistory& history, const WhiteList& whiteList, IAlarmPopupWindow& window);
    // Waits for open pop-up threads (at most 2000 ms each) and closes both events.
    ~CAlarmThread();
    CAlarmThread(const CAlarmThread&) = delete;
    CAlarmThread& operator=(const CAlarmThread&) = delete;

    // Creates "YuZhiChange Event" (manual reset) and "Waite Child Thread Event" (automatic reset), keeps
    // the quit event, loads the configuration under `directory` and hands the thresholds to `engine`.
    // 1 on success; 0 when an event cannot be made (LastError() tells why) or there is no engine.
    // Called before the thread starts; `engine` and `quitEvent` must outlive the thread.
    [[nodiscard]] int Init(IAlarmEngine* engine, base::Event& quitEvent, const ProgramDirectory& directory);
    // The same beside the program's own executable.
    [[nodiscard]] int Init(IAlarmEngine* engine, base::Event& quitEvent);
    std::uint32_t LastError() const { return lastError_; }

    // The loop of AlarmThreadProc: until the quit event, the statistics tick every second and a reload
    // whenever "YuZhiChange Event" is signalled. An exception signals the quit event. Returns 0.
    std::uint32_t Run();

    // The records one tick listed (the count already applied). Runs on the alarm thread with the engine
    // lock held, including the wait for the pop-up thread.
    AlarmResult HandleAlarm(std::span<const engine::SpeedAlarmRecord> records);

    // Replaces the observer; an empty one stops the telling. Any thread.
    void SetAlarmRaisedObserver(AlarmRaisedObserver observer);

    // A process changed state (2 running, 1 exited): the history's entries of it follow, and the
    // unhandled-alarm flag is worked out again.
    void HandleProcessEvent(std::uint32_t pid, std::uint32_t state);

    // The thresholds as last loaded.
    AlarmConfig Config() const;
    AlarmHistory& History() { return history_; }
    // Null before Init.
    base::Event* YuZhiChangeEvent() { return yuZhiChange_.get(); }

  private:
    void LoadAndSetThresholds();
    // Keeps `config` and hands it to the engine.
    void SetThresholds(const AlarmConfig& config);
    void StartPopup(std::vector<engine::SpeedAlarmRecord> output, AlarmResult& result);
    void TellRaised(const std::vector<engine::SpeedAlarmRecord>& appended);

    AlarmHistory& history_;
    const WhiteList& whiteList_;
    IAlarmPopupWindow& window_;

    IAlarmEngine* engine_ = nullptr;
    base::Event* quitEvent_ = nullptr;
    std::unique_ptr<base::Event> yuZhiChange_;
    // Shared with the pop-up threads, which may outlive a wait that gave up on them.
    std::shared_ptr<base::Event> waitChild_;
    ProgramDirectory directory_;
    std::uint32_t lastError_ = 0;

    mutable std::mutex configMutex_;  // Init and the reload write, the dialogs may read
    AlarmConfig config_;

    std::mutex observerMutex_;  // set by the service's start and end, called on the alarm thread
    AlarmRaisedObserver raised_;

    // Alarm thread only.
    AlarmGateState gate_;
    std::vector<std::unique_ptr<base::WorkerThread>> popups_;
};

// The thread procedure, given the instance. Returns 0.
std::uint32_t AlarmThreadProc(CAlarmThread* alarmThread);

// The engine's alarm callback; `context` is the CAlarmThread.
void OnAlarm(engine::SpeedAlarmRecord* records, std::uint32_t* count, void* context);

// The engine's process-event callback; `context` is the CAlarmThread. The name is not used: the pid
// identifies the history's entries.
void OnProcessEvent(std::uint32_t pid, const std::u16string* name, std::uint32_t state, void* context);

}  // namespace alarming
