#include <cstdio>

#include "alarm/alarm_popup_window.h"

namespace alarming {

namespace {

// Headless: no desktop, no floating window and no pop-up to keep open; the alarm is one line on
// standard error.
class HeadlessAlarmPopupWindow final : public IAlarmPopupWindow {
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

}  // namespace

IAlarmPopupWindow& PlatformAlarmPopupWindow() {
    static HeadlessAlarmPopupWindow window;
    return window;
}

}  // namespace alarming
