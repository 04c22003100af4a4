#include "alarm/alarm_handling.h"

#include <algorithm>
#include <unordered_set>

#include "alarm/alarm_evaluation.h"
#include "base/text.h"

namespace alarming {

bool HasRunningRecord(const std::vector<engine::ProcessRow>& processes, std::uint32_t pid) {
    return std::any_of(processes.begin(), processes.end(), [pid](const engine::ProcessRow& row) {
        return row.pid == pid && row.state == engine::kStateRunning;
    });
}

std::vector<engine::SpeedAlarmRecord> PopupEntries(const std::vector<engine::SpeedAlarmRecord>& history,
                                                   const std::vector<engine::ProcessRow>& processes) {
    std::vector<engine::SpeedAlarmRecord> entries;
    std::unordered_set<std::uint32_t> listed;
    for (auto entry = history.rbegin(); entry != history.rend(); ++entry) {
        if (entry->handlingState == engine::kAlarmUnhandled && entry->kind != engine::kStateExited &&
            HasRunningRecord(processes, entry->pid) && listed.insert(entry->pid).second) {
            entries.push_back(*entry);
        }
    }
    return entries;
}

bool IsSameProcessNameEitherWay(std::u16string_view a, std::u16string_view b) {
    return IsSameProcessName(a, b) || IsSameProcessName(b, a);
}

std::size_t SetHandlingStateOfName(AlarmHistory& history, std::u16string_view name, std::uint32_t state) {
    return history.Locked([&](std::vector<engine::SpeedAlarmRecord>& entries) {
        std::size_t changed = 0;
        for (engine::SpeedAlarmRecord& entry : entries) {
            if (IsSameProcessNameEitherWay(entry.name, name)) {
                entry.handlingState = state;
                ++changed;
            }
        }
        return changed;
    });
}

std::uint32_t AnyUnhandled(const std::vector<engine::SpeedAlarmRecord>& history) {
    return std::any_of(history.begin(), history.end(),
                       [](const auto& entry) { return entry.handlingState == engine::kAlarmUnhandled; })
               ? 1
               : 0;
}

std::uint32_t UnhandledAfterIgnore(std::uint32_t accelerationState, std::uint32_t current,
                                   const std::vector<engine::SpeedAlarmRecord>& history) {
    return accelerationState == 1 ? AnyUnhandled(history) : current;
}

std::uint32_t UnhandledAfterOptimize(std::uint32_t accelerationState, std::uint32_t current,
                                     const std::vector<engine::SpeedAlarmRecord>& history) {
    return accelerationState == 1 && AnyUnhandled(history) == 1 ? 1 : current;
}

std::uint32_t UnhandledOnClose(std::uint32_t accelerationState, bool someRowUnhandled) {
    return accelerationState == 1 && someRowUnhandled ? 1 : 0;
}

std::string NoticePayload(std::u16string_view title, std::u16string_view body) {
    std::u16string text(title);
    text += u';';
    text += body;
    std::string bytes = base::Utf16ToGbk(text);
    bytes.push_back('\0');
    return bytes;
}

std::string IgnoredNotice(int count) {
    return NoticePayload(u"报警提示", u"已忽略" + base::AsciiToUtf16(std::to_string(count)) + u"个进程报警");
}

std::string OptimizedNotice(int count) {
    return NoticePayload(
        u"优化提示", u"已优化" + base::AsciiToUtf16(std::to_string(count)) + u"个进程, 为加速留出了更多带宽");
}

}  // namespace alarming
