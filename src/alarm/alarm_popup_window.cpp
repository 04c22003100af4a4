#include "alarm/alarm_popup_window.h"

#include <atomic>
#include <cstdio>

#include "base/text.h"

namespace alarming {
namespace {

std::atomic<IAlarmPopupWindow*> registeredWindow{nullptr};

class HeadlessWindow final : public IAlarmPopupWindow {
  public:
    bool IsFullScreenForeground() override { return false; }
    void StartAlarmIndicator() override {}
    void HideFloatingWindow() override {}
    void FullScreenClientSize(std::int32_t& width, std::int32_t& height) override { width = height = 0; }
    bool RaiseExistingPopup() override { return false; }
    void ShowAccelerationStatePopup(const PopupRect&,
                                    std::span<const engine::SpeedAlarmRecord> output) override {
        const std::string line = FormatAlarmLine(output);
        // One write, so that lines of two pop-up threads never interleave.
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
};

IAlarmPopupWindow& CurrentWindow() {
    IAlarmPopupWindow* registered = registeredWindow.load(std::memory_order_acquire);
    return registered != nullptr ? *registered : HeadlessAlarmPopupWindow();
}

// The alarm thread keeps the window side it was made with for the whole process; this one looks up the
// registered side on every call, so that the ui may register after the alarm thread exists.
class ForwardingWindow final : public IAlarmPopupWindow {
  public:
    bool IsFullScreenForeground() override { return CurrentWindow().IsFullScreenForeground(); }
    void StartAlarmIndicator() override { CurrentWindow().StartAlarmIndicator(); }
    void HideFloatingWindow() override { CurrentWindow().HideFloatingWindow(); }
    void FullScreenClientSize(std::int32_t& width, std::int32_t& height) override {
        CurrentWindow().FullScreenClientSize(width, height);
    }
    bool RaiseExistingPopup() override { return CurrentWindow().RaiseExistingPopup(); }
    void ShowAccelerationStatePopup(const PopupRect& rect,
                                    std::span<const engine::SpeedAlarmRecord> output) override {
        CurrentWindow().ShowAccelerationStatePopup(rect, output);
    }
};

}  // namespace

void RegisterAlarmPopupWindow(IAlarmPopupWindow* window) {
    registeredWindow.store(window, std::memory_order_release);
}

IAlarmPopupWindow& AlarmPopupWindow() {
    static ForwardingWindow window;
    return window;
}

IAlarmPopupWindow& HeadlessAlarmPopupWindow() {
    static HeadlessWindow window;
    return window;
}

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
