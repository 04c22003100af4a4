#pragma once

// What the settings dialog and the threshold dialog do, without their windows: the flags they read and
// set, the files each path writes (and leaves alone), and the floating window they switch. The dialogs
// hand every click here; Cancel, Enter and Escape need no call at all, since they write nothing.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "alarm/program_directory.h"

namespace ui {

// The floating window as the settings dialogs switch it. Show requests may be refused by the window
// itself (while the settings file says it is hidden).
class IFloatingSwitch {
  public:
    virtual ~IFloatingSwitch() = default;
    virtual bool HasWindow() = 0;
    virtual bool IsVisible() = 0;
    // Makes the window and asks it to show.
    virtual void CreateAndShow() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
};

struct SettingChecks {
    bool show = false;
    bool alarm = false;
    friend bool operator==(const SettingChecks&, const SettingChecks&) = default;
};

// CSettingDlg: "显示悬浮窗" takes effect and is written at once; "报警提示" only in memory until "确定".
class SettingDlgRules {
  public:
    SettingDlgRules(alarming::ProgramDirectory directory, IFloatingSwitch& floating);

    // Re-reads the settings file first while a reload is pending; answers the boxes to tick.
    SettingChecks Open();
    void ClickShow(bool checked);
    void ClickAlarm(bool checked);
    // "确定": "SHOW" and "ALARM" written; false when a write failed.
    bool Ok();

  private:
    alarming::ProgramDirectory directory_;
    IFloatingSwitch& floating_;
};

// A signed decimal as the dialog's edit holds it: blanks around it, an optional sign and at least one
// digit; nothing else, and within 32 bits. Nothing when the text is not such a number.
std::optional<std::int32_t> ParseSignedDecimal(std::u16string_view text);
// The percentage held to 30..100, as "%d".
std::u16string ClampedPercentage(std::int32_t value);

enum class ThresholdSave { kSaved, kNotANumber, kWriteFailed };

// CYuZhiSetDlg: the percentage kept as text from loading to saving.
class YuZhiSetRules {
  public:
    // `signalReload` tells the alarm thread that config\Alarm.txt changed.
    YuZhiSetRules(alarming::ProgramDirectory directory, IFloatingSwitch& floating,
                  std::function<void()> signalReload);

    // Loads the percentage (clamped and written back at once when out of range) and the floating
    // switch; answers whether to tick "显示悬浮窗". Percentage() is the edit's text.
    bool Open();
    // Switches the floating window at once; ShowSuspension waits for the save.
    void ClickShow(bool checked);
    // "确定" with the edit's text and the box's state. Nothing is written when the text is no number.
    ThresholdSave Ok(std::u16string_view input, bool showChecked);
    // "取消": ShowSuspension takes the box's state, nothing is written.
    void Cancel(bool showChecked);

    const std::u16string& Percentage() const { return percentage_; }

  private:
    bool Save();

    alarming::ProgramDirectory directory_;
    IFloatingSwitch& floating_;
    std::function<void()> signalReload_;
    std::u16string percentage_;
};

}  // namespace ui
