#include "alarm/alarm_config.h"

#include <cstdio>
#include <memory>
#include <string>

#include "alarm/settings.h"
#include "base/file.h"
#include "base/profile.h"

namespace alarming {
namespace {

constexpr std::u16string_view kNoLocation = u"-1, -1";

std::u16string_view Trimmed(std::u16string_view text) {
    constexpr std::u16string_view kBlanks = u" \t\r\n\v\f";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::int32_t ReadThreshold(std::u16string_view section, std::u16string_view key, std::int32_t defaultValue,
                           const std::u16string& path) {
    if (path.empty()) {
        return defaultValue;
    }
    return static_cast<std::int32_t>(base::ReadIniInt(section, key, defaultValue, path));
}

// The value of a settings key; an empty one is replaced in the file by `fallback`, which is taken.
std::u16string TakeSetting(std::u16string_view section, std::u16string_view key, std::u16string_view fallback,
                           const std::u16string& path) {
    std::u16string value = base::ReadIniString(section, key, u"", kSettingCapacity, path);
    if (value.empty()) {
        base::WriteIniString(section, key, fallback, path);
        value = fallback;
    }
    return value;
}

// Opens the file or creates it empty; an existing file keeps its bytes. False when its directory is
// missing (it is not created) or the file cannot be opened.
bool CreateIfMissing(const std::u16string& path) {
    return base::ScopedStdioFile(base::OpenStdioFile(path, "ab")).IsValid();
}

}  // namespace

Location ParseLocation(std::u16string_view value) {
    const auto comma = value.find(u',');
    if (comma == std::u16string_view::npos) {
        return {};
    }
    return {DecimalValue(Trimmed(value.substr(0, comma))), DecimalValue(Trimmed(value.substr(comma + 1)))};
}

Location ReadStoredLocation(const ProgramDirectory& directory) {
    const std::u16string path = directory.Path(kSettingsFileName);
    if (path.empty()) {
        return {};
    }
    return ParseLocation(base::ReadIniString(kSuspensionSection, kLocationKey, u"", kSettingCapacity, path));
}

int LoadConfig(AlarmConfig& config, const ProgramDirectory& directory, std::u16string_view alarmConfigName) {
    const std::u16string alarmPath = directory.Path(alarmConfigName);
    config.UpLoadReFlux = ReadThreshold(kRefluxSection, kUpLoadReFluxKey, 1000, alarmPath);
    config.DownLoadReFlux = ReadThreshold(kRefluxSection, kDownLoadReFluxKey, 5000, alarmPath);
    config.UpLoadSpeed = ReadThreshold(kSpeedSection, kUpLoadSpeedKey, 50, alarmPath);
    config.DownLoadSpeed = ReadThreshold(kSpeedSection, kDownLoadSpeedKey, 100, alarmPath);
    config.Percentage = ReadThreshold(kPercentageSection, kPercentageKey, 50, alarmPath);

    const std::u16string settingsPath = directory.Path(kSettingsFileName);
    if (!settingsPath.empty() && base::FileExists(settingsPath)) {
        const std::u16string show = TakeSetting(kSuspensionSection, kShowKey, u"1", settingsPath);
        ShowSuspension.store(DecimalValue(show) != 0 ? 1 : 0, std::memory_order_relaxed);
        const Location location =
            ParseLocation(TakeSetting(kSuspensionSection, kLocationKey, kNoLocation, settingsPath));
        SuspensionX.store(location.x, std::memory_order_relaxed);
        SuspensionY.store(location.y, std::memory_order_relaxed);
        const std::u16string alarm = TakeSetting(kAlarmSection, kAlarmKey, u"1", settingsPath);
        AlarmEnabled.store(DecimalValue(alarm) == 1 ? 1 : 0, std::memory_order_relaxed);
        SettingsReloadPending.store(0, std::memory_order_relaxed);
        return 1;
    }

    ShowSuspension.store(1, std::memory_order_relaxed);
    AlarmEnabled.store(1, std::memory_order_relaxed);
    SuspensionX.store(-1, std::memory_order_relaxed);
    SuspensionY.store(-1, std::memory_order_relaxed);
    // Without the tmp directory the program runs on these defaults and later writes fail quietly.
    if (!settingsPath.empty() && CreateIfMissing(settingsPath)) {
        base::WriteIniString(kSuspensionSection, kShowKey, u"1", settingsPath);
        base::WriteIniString(kSuspensionSection, kLocationKey, kNoLocation, settingsPath);
        base::WriteIniString(kAlarmSection, kAlarmKey, u"1", settingsPath);
    }
    return 1;
}

}  // namespace alarming
