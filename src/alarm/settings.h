#pragma once

// The settings file tmp\kestrivonsetting.txt (floating window shown, its position, alarms on) and the
// process-wide flags that mirror it, with the writers the dialogs, the floating window and the plugin
// requests use. Both configuration files are INI files read and written through base/profile.h only.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "alarm/program_directory.h"

namespace alarming {

inline constexpr std::u16string_view kSettingsFileName = u"tmp\\kestrivonsetting.txt";
inline constexpr std::u16string_view kAlarmConfigName = u"config\\Alarm.txt";

inline constexpr std::u16string_view kSuspensionSection = u"SUSPENSION";
inline constexpr std::u16string_view kShowKey = u"SHOW";
inline constexpr std::u16string_view kLocationKey = u"LOCATION";
inline constexpr std::u16string_view kAlarmSection = u"ALARM";
inline constexpr std::u16string_view kAlarmKey = u"ALARM";

// "MONITOR"/"KEEPMISSED": 0 drops the payload of ports that no process is found for at once (the
// engine's literal behaviour, for comparison); anything else, empty or missing keeps it.
inline constexpr std::u16string_view kMonitorSection = u"MONITOR";
inline constexpr std::u16string_view kKeepMissedKey = u"KEEPMISSED";

inline constexpr std::u16string_view kRefluxSection = u"REFLUX";
inline constexpr std::u16string_view kDownLoadReFluxKey = u"DownLoadReFlux";
inline constexpr std::u16string_view kUpLoadReFluxKey = u"UpLoadReFlux";
inline constexpr std::u16string_view kSpeedSection = u"SPEED";
inline constexpr std::u16string_view kDownLoadSpeedKey = u"DownLoadSpeed";
inline constexpr std::u16string_view kUpLoadSpeedKey = u"UpLoadSpeed";
inline constexpr std::u16string_view kPercentageSection = u"PERCENTAGE";
inline constexpr std::u16string_view kPercentageKey = u"Percentage";

// Text settings are read into a buffer of this many characters: longer values arrive cut to 19.
inline constexpr std::size_t kSettingCapacity = 20;

// Process-wide flags, read and written by every thread without a lock.
extern std::atomic<std::uint32_t> ShowSuspension;  // floating window is to be shown; starts 1
extern std::atomic<std::uint32_t> AlarmEnabled;    // alarm pop-ups allowed; starts 1
extern std::atomic<std::int32_t> SuspensionX;      // stored floating-window position; -1 none
extern std::atomic<std::int32_t> SuspensionY;
extern std::atomic<std::uint32_t> SettingsReloadPending;  // dialogs re-read the file first; starts 1

// The decimal value of a setting as the C run-time's _wtoi reads it: leading white space, an optional
// sign, decimal digits (ASCII, full-width and the other blocks that run-time knows) up to the first
// other character; 0 without digits; an out-of-range value is held at the nearest 32-bit limit.
std::int32_t DecimalValue(std::u16string_view text);

// The floating window's top-left corner, stored as "LOCATION".
struct WindowOrigin {
    std::int32_t left = 0;
    std::int32_t top = 0;
};

// Each writer writes exactly the keys it names and answers whether every write succeeded; a missing
// tmp or config directory makes them fail without a message.

// The settings dialog: "SHOW" ("1" for any non-zero value) and "ALARM" ("1" only for 1), in that order.
bool WriteShowAndAlarm(const ProgramDirectory& directory, std::uint32_t show, std::uint32_t alarm);

// The threshold dialog's save: "Percentage" into config\Alarm.txt and, only when that worked, "SHOW"
// as a decimal number.
bool SaveThresholdSettings(const ProgramDirectory& directory, std::u16string_view percentage,
                           std::int32_t show);

// "ALARM": "1" when `alarmEnabled` is 1, else "0".
bool WriteAlarmSetting(const ProgramDirectory& directory, std::uint32_t alarmEnabled);

// A change of the floating window's visibility: ShowSuspension takes `show`, then "SHOW" is written as
// a decimal number and, when the window exists, "LOCATION" as "left,top". Showing or hiding the window
// is the caller's part.
bool WriteSuspensionSettings(const ProgramDirectory& directory, std::uint32_t show,
                             const std::optional<WindowOrigin>& window);

// "KEEPMISSED" from the settings file: false only for a value that reads as 0.
bool ReadKeepMissedBytes(const ProgramDirectory& directory);

// "ALARM" from the file (empty or missing counts as 1) into AlarmEnabled: 1 for the value 1, else 0.
// Answers the new AlarmEnabled.
std::uint32_t RefreshAlarmEnabled(const ProgramDirectory& directory);

// The plugin's switch: "ALARM" is written ("1" when `value` is 1, else "0"), then AlarmEnabled = value.
bool SetAlarmEnabled(const ProgramDirectory& directory, std::uint32_t value);

// The decimal value of "SHOW" (missing or empty counts as 1): non-zero means the floating window is shown.
std::int32_t ReadShowSetting(const ProgramDirectory& directory);

}  // namespace alarming
