#pragma once

// The texts of the alarm history's rows, without a list view: the history page (oldest entry first,
// byte totals in "GB"/"MB"/"KB", the handling text) and the alarm information dialog (rates in bits,
// volumes in bits, the alarm time).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/speed_alarm.h"
#include "engine/traffic_snapshots.h"

namespace ui {

inline constexpr int kAlarmRowColumnCount = 7;

struct AlarmRow {
    std::uint32_t pid = 0;
    std::u16string path;  // for the row's icon
    bool hasIcon = true;  // pids 0 and 4 are the system's own and get none
    std::array<std::u16string, kAlarmRowColumnCount> texts;
    friend bool operator==(const AlarmRow&, const AlarmRow&) = default;
};

// The entry's name, with the closed marker when the process has no running record any more (and the
// name does not carry it yet).
std::u16string AlarmRowName(const engine::SpeedAlarmRecord& entry,
                            const std::vector<engine::ProcessRow>& processes);

// "未处理" while unhandled and the process still runs, "已忽略" when ignored, otherwise "已优化".
std::u16string HandlingText(std::uint32_t handlingState, bool running);
inline constexpr std::u16string_view kOptimizedText = u"已优化";

// History page: name, PID, upload speed, download speed, downloaded, uploaded, handling.
std::vector<AlarmRow> AlarmRecordRows(const std::vector<engine::SpeedAlarmRecord>& history,
                                      const std::vector<engine::ProcessRow>& processes);
// Alarm information dialog: name, PID, download rate, upload rate, download volume, upload volume, time.
std::vector<AlarmRow> AlarmInfoRows(const std::vector<engine::SpeedAlarmRecord>& history,
                                    const std::vector<engine::ProcessRow>& processes);

}  // namespace ui
