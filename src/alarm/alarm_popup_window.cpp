#include "alarm/alarm_popup_window.h"

#include "base/text.h"

namespace alarming {

PopupRect PopupRectangle(std::int32_t fullScreenWidth, std::int32_t fullScreenHeight) {
    PopupRect rect;
    rect.right = fullScreenWidth - 1;
    rect.bottom = fullScreenHeight + 20;
    rect.left = rect.right - kPopupWidth;
    rect.top = rect.bottom - kPopupHeight;
    return rect;
}

std::string FormatAlarmLine(std::span<const engine::SpeedAlarmRecord> output) {
    std::string line = "kvtmon: alarm: traffic outside the accelerator:";
    const char* separator = " ";
    for (const engine::SpeedAlarmRecord& record : output) {
        line += separator;
        line += base::Utf16ToUtf8(record.name);
        line += " (pid " + std::to_string(record.pid) + ") ";
        line += base::Utf16ToUtf8(record.downSpeedText) + " down ";
        line += base::Utf16ToUtf8(record.upSpeedText) + " up";
        separator = "; ";
    }
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    line += '\n';
    return line;
}

}  // namespace alarming
