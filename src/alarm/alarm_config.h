#pragma once

// The five alarm thresholds and the one loader that reads them from config\Alarm.txt together with the
// three keys of the settings file.

#include <cstdint>
#include <string_view>

#include "alarm/program_directory.h"

namespace alarming {

// The thresholds as the alarm thread holds them, with their values before any file is read.
struct AlarmConfig {
    std::int32_t DownLoadReFlux = 5000;  // megabytes
    std::int32_t UpLoadReFlux = 1000;    // megabytes
    std::int32_t DownLoadSpeed = 100;    // KB/s of traffic that is not accelerated
    std::int32_t UpLoadSpeed = 50;       // KB/s
    std::int32_t Percentage = 50;        // share of non-accelerated traffic, percent
};

// A stored floating-window position.
struct Location {
    std::int32_t x = -1;
    std::int32_t y = -1;
};

// "LOCATION" as "x,y": split at the first comma, each part trimmed and read as a decimal number (no
// digits gives 0). Without a comma there is no stored position: -1, -1.
Location ParseLocation(std::u16string_view value);

// The stored "LOCATION" alone, read without writing anything: -1, -1 when the file or the key is
// missing. Start-up places the floating window by it before the loader has run.
Location ReadStoredLocation(const ProgramDirectory& directory);

// Reads the thresholds from `alarmConfigName` (missing file, keys or digits give the defaults or the
// integer prefix), then the settings file into ShowSuspension, SuspensionX/Y and AlarmEnabled, writing
// back any of its three keys that came back empty; when the settings file is missing, the flags take
// their defaults and the file is created with the three keys, provided its directory exists. Clears
// SettingsReloadPending after reading an existing settings file. Always 1: every failure falls back to
// defaults.
int LoadConfig(AlarmConfig& config, const ProgramDirectory& directory, std::u16string_view alarmConfigName);

}  // namespace alarming
