#pragma once

// What the alarm dialogs decide about the history, without a window: which entries the
// acceleration-state pop-up lists, how "忽略" and "立即优化" change the history and the unhandled-alarm
// flag, the flag when the pop-up closes, and the notice the accelerator's window receives.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "alarm/alarm_history.h"
#include "engine/speed_alarm.h"
#include "engine/traffic_snapshots.h"

namespace alarming {

// Records stay in the engine's list after their process exits: true only for a running one of `pid`.
bool HasRunningRecord(const std::vector<engine::ProcessRow>& processes, std::uint32_t pid);

// The pop-up's entries, newest first: unhandled, about a pid with a running record and not about an
// exited process; each pid once, with its newest entry.
std::vector<engine::SpeedAlarmRecord> PopupEntries(const std::vector<engine::SpeedAlarmRecord>& history,
                                                   const std::vector<engine::ProcessRow>& processes);

// Names of one process: equal without regard to case, also when either of them carries the closed
// marker and the other does not.
bool IsSameProcessNameEitherWay(std::u16string_view a, std::u16string_view b);

// Every history entry of the process named `name` (see IsSameProcessNameEitherWay) gets `state`; answers how
// many.
std::size_t SetHandlingStateOfName(AlarmHistory& history, std::u16string_view name, std::uint32_t state);

// 1 while some entry is still unhandled, whatever its process's state.
std::uint32_t AnyUnhandled(const std::vector<engine::SpeedAlarmRecord>& history);

// HasUnhandledAlarm after "忽略": worked out again from the history while the game is accelerated
// (`accelerationState` 1), else left as it is.
std::uint32_t UnhandledAfterIgnore(std::uint32_t accelerationState, std::uint32_t current,
                                   const std::vector<engine::SpeedAlarmRecord>& history);
// After "立即优化": set while accelerated with an unhandled entry left; never cleared here.
std::uint32_t UnhandledAfterOptimize(std::uint32_t accelerationState, std::uint32_t current,
                                     const std::vector<engine::SpeedAlarmRecord>& history);
// When the pop-up closes: set only while accelerated with one of its rows still unhandled.
std::uint32_t UnhandledOnClose(std::uint32_t accelerationState, bool someRowUnhandled);

// The notice to the accelerator's window: a copy-data message of this kind whose bytes are the GBK text
// "title;body" with its terminating zero.
inline constexpr std::uint32_t kNoticeDataKind = 101;
std::string NoticePayload(std::u16string_view title, std::u16string_view body);
// "报警提示" / "已忽略N个进程报警" and "优化提示" / "已优化N个进程, 为加速留出了更多带宽".
std::string IgnoredNotice(int count);
std::string OptimizedNotice(int count);

}  // namespace alarming
