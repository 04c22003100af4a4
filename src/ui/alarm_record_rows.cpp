#include "ui/alarm_record_rows.h"

#include "alarm/alarm_handling.h"
#include "base/text.h"
#include "engine/process_records.h"
#include "format/value_format.h"

namespace ui {
namespace {

// One row per entry, oldest first: name and PID here, the other five columns from `texts`.
template <typename Texts>
std::vector<AlarmRow> Rows(const std::vector<engine::SpeedAlarmRecord>& history,
                           const std::vector<engine::ProcessRow>& processes, Texts texts) {
    std::vector<AlarmRow> rows;
    rows.reserve(history.size());
    for (const engine::SpeedAlarmRecord& entry : history) {
        AlarmRow row;
        row.pid = entry.pid;
        row.path = entry.path;
        row.hasIcon = entry.pid != 0 && entry.pid != 4;
        row.texts[0] = AlarmRowName(entry, processes);
        row.texts[1] = base::AsciiToUtf16(std::to_string(entry.pid));
        texts(entry, row.texts);
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

std::u16string AlarmRowName(const engine::SpeedAlarmRecord& entry,
                            const std::vector<engine::ProcessRow>& processes) {
    if (alarming::HasRunningRecord(processes, entry.pid) || entry.name.ends_with(engine::kClosedMarker)) {
        return entry.name;
    }
    return entry.name + std::u16string(engine::kClosedMarker);
}

std::u16string HandlingText(std::uint32_t handlingState, bool running) {
    if (handlingState == engine::kAlarmUnhandled && running) {
        return u"未处理";
    }
    if (handlingState == engine::kAlarmIgnored) {
        return u"已忽略";
    }
    return std::u16string(kOptimizedText);
}

std::vector<AlarmRow> AlarmRecordRows(const std::vector<engine::SpeedAlarmRecord>& history,
                                      const std::vector<engine::ProcessRow>& processes) {
    return Rows(history, processes, [&processes](const engine::SpeedAlarmRecord& entry, auto& texts) {
        texts[2] = entry.upSpeedText;
        texts[3] = entry.downSpeedText;
        texts[4] = format::FormatBytes(entry.downBytes);
        texts[5] = format::FormatBytes(entry.upBytes);
        texts[6] = HandlingText(entry.handlingState, alarming::HasRunningRecord(processes, entry.pid));
    });
}

std::vector<AlarmRow> AlarmInfoRows(const std::vector<engine::SpeedAlarmRecord>& history,
                                    const std::vector<engine::ProcessRow>& processes) {
    return Rows(history, processes, [](const engine::SpeedAlarmRecord& entry, auto& texts) {
        texts[2] = format::ConvertSpeedText(entry.downSpeedText);
        texts[3] = format::ConvertSpeedText(entry.upSpeedText);
        texts[4] = format::FormatVolume(entry.downBytes);
        texts[5] = format::FormatVolume(entry.upBytes);
        texts[6] = format::FormatDateTime(entry.time);
    });
}

}  // namespace ui
